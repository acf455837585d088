// The admin service over its named pipe, on Windows (run under Wine): this
// test program is the client, and, started again through "runas" with
// -admin_service as the program starts itself, the service too. The four
// requests go over the pipe; a service started for another process id
// hangs up on this one without a word.
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "app/installer_app.h"
#include "support/test_support.h"
#include "sys/admin_client.h"
#include "sys/admin_protocol.h"
#include "sys/platform.h"

namespace {

using test::W;

TEST(AdminPipe, ServesTheFourRequests) {
    test::TempDir dir;
    test::WriteFile(dir / "source.txt", "payload");
    const WString made = W(dir / "made"), copied = W(dir / "made\\copied.txt");
    ASSERT_TRUE(EnsureService());
    EXPECT_TRUE(AdminCreateFolder(made.CStr()));
    EXPECT_TRUE(test::Exists(dir / "made"));
    // The service reads a copy's source as its client. Wine cannot take on
    // a pipe client's identity: there the copy is refused and nothing is
    // written, never read with the service's own rights.
    const bool copiedOk = AdminCopyFile(W(dir / "source.txt").CStr(), copied.CStr());
    if (test::UnderWine()) {
        EXPECT_FALSE(copiedOk);
        EXPECT_FALSE(test::Exists(dir / "made\\copied.txt"));
        test::WriteFile(dir / "made\\copied.txt", "payload");
    } else {
        EXPECT_TRUE(copiedOk);
    }
    EXPECT_EQ(test::ReadFile(dir / "made\\copied.txt"), "payload");
    EXPECT_FALSE(AdminRemoveFolder(made.CStr())) << "a folder with a file in it stays";
    EXPECT_TRUE(AdminDeleteFile(copied.CStr()));
    EXPECT_FALSE(test::Exists(dir / "made\\copied.txt"));
    EXPECT_TRUE(AdminRemoveFolder(made.CStr()));
    EXPECT_FALSE(test::Exists(dir / "made"));
    EXPECT_FALSE(AdminDeleteFile(copied.CStr())) << "nothing left to delete";
}

class Stream : public ByteChannel {
public:
    SysChannel* channel = nullptr;
    bool Read(void* bytes, size_t n) override { return SysChannelRead(channel, bytes, n, 15000); }
    bool Write(const void* bytes, size_t n) override { return SysChannelWrite(channel, bytes, n); }
};

TEST(AdminPipe, RefusesAClientItWasNotStartedFor) {
    WString guid;
    SysListener* listener = nullptr;
    ASSERT_TRUE(SysNewGuid(guid));
    ASSERT_TRUE(SysChannelListen(guid.CStr(), listener));
    WString parameters;
    parameters.Format(WTXT("-admin_service %s %u"), guid, SysProcessId() + 4);  // another process
    SysProcess* service = nullptr;
    ASSERT_TRUE(SysStartElevatedSelf(parameters.CStr(), service));
    Stream s;
    const SysAcceptResult r = SysChannelAccept(listener, service, 30000, s.channel);
    SysListenerClose(listener);
    // It may hang up before the pipe reports the connection; either way no
    // greeting ever comes.
    if (r == SysAcceptResult::kConnected) {
        uint32_t pid = 0;
        EXPECT_FALSE(ReadHello(s, pid));
    } else {
        EXPECT_EQ(r, SysAcceptResult::kProcessEnded);
    }
    EXPECT_TRUE(test::WaitFor([&] { return !SysProcessRunning(service); }, 30000));
    SysChannelClose(s.channel);
    SysProcessRelease(service);
}

}  // namespace

// Started with -admin_service, this program is the service, as the installer
// would be; otherwise it runs the tests.
int main(int argc, char** argv) {
    WString line;
    if (!SysCommandLine(line)) CommandLineFromArgv(argc, argv, line);
    if (line.Find(WTXT(" -admin_service ")) >= 0) return RunProgram(line.CStr());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
