#pragma once

#include "i18n/language.h"

#include <QString>

#include <cstdint>
#include <optional>

// The three transfer operations a user can start, as far as their status
// caption is concerned (programming after a change uses Program's).
enum class OperationCaption { Program, Verify, Read };

// The status caption shown when the operation starts. These are fixed per
// language rather than message table entries. The French index has no
// caption, nor has any index without a column: the caller then leaves the
// label's current text alone.
std::optional<QString> operationCaption(OperationCaption operation, Language language);
