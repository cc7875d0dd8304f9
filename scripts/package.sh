#!/usr/bin/env bash
# Builds the Debian package build/torvo-tci_<version>_<arch>.deb and checks it
# with lintian: any error or warning fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh lintian
./scripts/build.sh
rm -f build/torvo-tci_*.deb
(cd build && cpack -G DEB)
deb=$(ls build/torvo-tci_*.deb)
lintian --fail-on error,warning --info "$deb"
echo "$deb"
