// A loss of the port is noticed in one pass of the event loop and reported in
// a later one. Whatever the user did with the port in between (opened it
// again, chose another, closed it), a report about the port as it was must
// not close, report or reopen the port as it is.
#include "session/unitsession.h"
#include "support/fake_transport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

struct Between
{
    const char *what;
    std::function<void(UnitSession &)> step;
    bool openAfter; // whether the port is open after the step
};

} // namespace

TEST(PortSession, ALossReportFromBeforeAReopenOrCloseChangesNothing)
{
    const std::vector<Between> cases{
        {"the same port opened again", [](UnitSession &s) { s.openPort(); }, true},
        {"another port chosen",
         [](UnitSession &s) {
             s.setPortNumber(2);
             s.openPort();
         },
         true},
        {"the port closed", [](UnitSession &s) { s.closePort(); }, false},
        {"the port reopened after a loss of its own",
         [](UnitSession &s) {
             static_cast<FakeTransport &>(s.transport()).pull();
             for (int i = 0; i < 18; ++i)
                 s.tick();
         },
         true},
    };
    for (const Between &c : cases) {
        auto owned = std::make_unique<FakeTransport>();
        FakeTransport &port = *owned;
        UnitSession session(std::move(owned));
        session.setPortNumber(1);
        ASSERT_EQ(session.openPort(), UnitSession::OpenResult::Opened) << c.what;
        const std::uint64_t noticed = port.portSession();
        c.step(session);
        ASSERT_EQ(port.isOpen(), c.openAfter) << c.what;

        int lostReports = 0;
        QObject::connect(&session, &UnitSession::portLost, [&] { ++lostReports; });
        port.events.clear();
        port.reportLoss(noticed);
        for (int i = 0; i < 100; ++i)
            session.tick();
        EXPECT_EQ(lostReports, 0) << c.what;
        EXPECT_FALSE(session.waitingForPort()) << c.what;
        EXPECT_EQ(port.isOpen(), c.openAfter) << c.what;
        EXPECT_TRUE(port.events.isEmpty()) << c.what << ": " << port.events.join(", ").toStdString();

        // The port in use now is still watched: its own loss counts.
        if (!c.openAfter)
            continue;
        port.pull();
        EXPECT_EQ(lostReports, 1) << c.what;
        EXPECT_TRUE(session.waitingForPort()) << c.what;
    }
}
