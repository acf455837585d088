// The admin service's requests and replies over an in-memory channel: what
// each request asks of the service, what it answers, and where a broken
// frame ends the conversation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "sys/admin_protocol.h"

namespace {

using test::U;

// Reads come from one byte string, writes go to another.
class MemoryChannel : public ByteChannel {
public:
    std::string in, out;
    size_t used = 0;
    bool Read(void* bytes, size_t n) override {
        if (n > in.size() - used) return false;
        std::memcpy(bytes, in.data() + used, n);
        used += n;
        return true;
    }
    bool Write(const void* bytes, size_t n) override {
        out.append(static_cast<const char*>(bytes), n);
        return true;
    }
};

// Frames as a client writes them.
std::string Count(uint64_t n) {
    std::string bytes(8, '\0');
    for (int i = 0; i < 8; ++i) bytes[i] = char(n >> (8 * i));
    return bytes;
}
std::string Code(uint32_t code) { return Count(4) + std::string{char(code), char(code >> 8), char(code >> 16), char(code >> 24)}; }
std::string Path(const char* ascii) {
    std::string units;
    for (const char* c = ascii;; ++c) {
        units += *c;
        units += '\0';
        if (!*c) break;
    }
    return Count(units.size()) + units;
}
const std::string kYes = Count(1) + std::string(1, '\1');
const std::string kNo = Count(1) + std::string(1, '\0');

// Records each call; answers true unless the path names "fail".
class RecordingActions : public AdminActions {
public:
    std::vector<std::string> calls;
    bool CreateFolder(const WChar* p) override { return Note("create " + U(p)); }
    bool RemoveFolder(const WChar* p) override { return Note("remove " + U(p)); }
    bool CopyFile(const WChar* a, const WChar* b) override { return Note("copy " + U(a) + " > " + U(b)); }
    bool DeleteFile(const WChar* p) override { return Note("delete " + U(p)); }

private:
    bool Note(const std::string& call) {
        calls.push_back(call);
        return call.find("fail") == std::string::npos;
    }
};

struct Case {
    const char* name;
    std::string sent;
    std::vector<std::string> calls;
    std::string replies;
};

const Case kCases[] = {
    {"create a folder", Code(0) + Path("/h/a"), {"create /h/a"}, kYes},
    {"remove a folder", Code(1) + Path("/h/a"), {"remove /h/a"}, kYes},
    {"copy a file", Code(2) + Path("/p/f") + Path("/h/f"), {"copy /p/f > /h/f"}, kYes},
    {"delete a file", Code(3) + Path("/h/f"), {"delete /h/f"}, kYes},
    {"a failure is answered 0", Code(3) + Path("/h/fail"), {"delete /h/fail"}, kNo},
    {"several in order", Code(0) + Path("/h/a") + Code(3) + Path("/h/fail") + Code(1) + Path("/h/a"),
     {"create /h/a", "delete /h/fail", "remove /h/a"}, kYes + kNo + kYes},
    {"an empty path is a path", Code(0) + Count(0), {"create "}, kYes},
    {"non-ASCII text arrives whole", Code(0) + Count(6) + std::string("\xe9\0\x3c\x26\0\0", 6), {"create \xc3\xa9\xe2\x98\xbc"},
     kYes},
    {"text stops at the first zero", Code(0) + Count(8) + std::string("a\0\0\0b\0\0\0", 8), {"create a"}, kYes},
    {"end stops serving", Code(4) + Code(0) + Path("/h/a"), {}, ""},
    {"an unknown code is skipped without a reply", Code(9) + Code(0) + Path("/h/a"), {"create /h/a"}, kYes},
    {"the client going away ends it", Code(0) + Path("/h/a"), {"create /h/a"}, kYes},
    {"a code frame of the wrong size ends it", Count(5) + std::string(5, '\0') + Code(0) + Path("/h/a"), {}, ""},
    {"a short code ends it", Count(4) + std::string(2, '\0'), {}, ""},
    {"an odd path count ends it", Code(0) + Count(3) + "abc", {}, ""},
    {"a path beyond the limit ends it unread", Code(0) + Count(kMaxPathFrameBytes + 2), {}, ""},
    {"a huge count ends it", Code(0) + Count(~0ULL), {}, ""},
    {"a path shorter than its count ends it", Code(0) + Count(64) + "a\0", {}, ""},
    {"a copy without its target ends it", Code(2) + Path("/p/f"), {}, ""},
};

TEST(AdminProtocol, TheServiceAnswersEachRequest) {
    for (const Case& c : kCases) {
        MemoryChannel channel;
        channel.in = c.sent;
        RecordingActions actions;
        ServeAdminRequests(channel, actions);
        EXPECT_EQ(actions.calls, c.calls) << c.name;
        EXPECT_EQ(channel.out, c.replies) << c.name;
    }
}

// The client's side: what it writes for each request and what it makes of
// the reply.
TEST(AdminProtocol, TheClientSendsAndReadsTheReply) {
    struct ClientCase {
        const char* name;
        int32_t code;
        const WChar* first;
        const WChar* second;
        std::string reply;
        std::string sent;
        bool result;
    };
    const ClientCase cases[] = {
        {"create", 0, WTXT("/h/a"), nullptr, kYes, Code(0) + Path("/h/a"), true},
        {"copy", 2, WTXT("/p/f"), WTXT("/h/f"), kYes, Code(2) + Path("/p/f") + Path("/h/f"), true},
        {"refused", 3, WTXT("/h/f"), nullptr, kNo, Code(3) + Path("/h/f"), false},
        {"no reply", 1, WTXT("/h/a"), nullptr, "", Code(1) + Path("/h/a"), false},
        {"a reply of two bytes", 1, WTXT("/h/a"), nullptr, Count(2) + "\1\1", Code(1) + Path("/h/a"), false},
        {"a reply that is not 1", 1, WTXT("/h/a"), nullptr, Count(1) + "\2", Code(1) + Path("/h/a"), false},
    };
    for (const ClientCase& c : cases) {
        MemoryChannel channel;
        channel.in = c.reply;
        EXPECT_EQ(SendAdminRequest(channel, c.code, c.first, c.second), c.result) << c.name;
        EXPECT_EQ(channel.out, c.sent) << c.name;
    }
}

TEST(AdminProtocol, Hello) {
    MemoryChannel channel;
    ASSERT_TRUE(WriteHello(channel, 0x01020304));
    EXPECT_EQ(channel.out, Code(0x01020304));
    channel.in = channel.out;
    uint32_t pid = 0;
    EXPECT_TRUE(ReadHello(channel, pid));
    EXPECT_EQ(pid, 0x01020304u);
    for (const std::string& bad : {Count(3) + "abc", Count(4) + "ab", std::string("\4\0\0", 3)}) {
        MemoryChannel broken;
        broken.in = bad;
        EXPECT_FALSE(ReadHello(broken, pid));
    }
}

}  // namespace
