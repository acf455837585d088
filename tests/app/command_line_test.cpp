// Splitting and parsing the command line, rendering options back, and the
// escaping of parameter values.
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "support/test_support.h"

namespace {

using test::U;
using test::W;

std::vector<std::string> Split(const std::string& line) {
    Container<WString> tokens;
    SplitCommandLine(W(line).CStr(), tokens);
    std::vector<std::string> out;
    for (int32_t i = 0; i < tokens.count; ++i) out.push_back(U(*tokens[i]));
    return out;
}

TEST(CommandLine, Splitting) {
    using V = std::vector<std::string>;
    const struct {
        std::string line;
        V tokens;
    } cases[] = {
        {"", V{}},
        {"   ", V{}},
        {"a  b", V{"a", "b"}},
        {"a\tb", V{"a\tb"}},                      // only U+0020 separates
        {"\"C:\\Program Files\\x.exe\" -debug", V{"C:\\Program Files\\x.exe", "-debug"}},
        {"\"\"", V{""}},
        {"\"ab\"cd", V{"ab", "cd"}},              // glued text starts a new token
        {"ab\"cd\"", V{"ab\"cd\""}},              // a quote inside a token is ordinary
        {"\"open end", V{"\"open end"}},          // keeps its opening quote
    };
    for (const auto& c : cases) EXPECT_EQ(Split(c.line), c.tokens) << c.line;
}

std::string Parsed(const std::string& line) {
    Arguments args;
    ParseArguments(W(line).CStr(), args);
    std::string out;
    for (int32_t i = 0; i < args.count; ++i) {
        WString text;
        args[i]->Render(text);
        out += (i ? "|" : "") + U(args[i]->ClassName()) + ":" + U(text);
    }
    return out;
}

TEST(CommandLine, Parsing) {
    const struct {
        std::string line;
        std::string parsed;
    } cases[] = {
        {"", ""},
        {"prog.exe", ""},
        {"prog.exe -debug -drop", "DebugArg:-debug|DropArg:-drop"},
        {"prog.exe -window_pos 10", ""},  // too few tokens: both dropped
        {"prog.exe -window_pos abc 20", "WindowPosArg:-window_pos 0 20"},
        {"prog.exe -window_pos -5 7 -debug", "WindowPosArg:-window_pos -5 7|DebugArg:-debug"},
        {"prog.exe -admin_service my_5fpipe 42", "AdminServiceArg:-admin_service my__pipe 42"},
        {"prog.exe -admin_service a_zz 42", "AdminServiceArg:-admin_service a__zz 42"},
        {"prog.exe -veldo_ver 5.5_20beta", "VeldoVerArg:-veldo_ver 5.5__beta"},
        {"prog.exe -Debug -debugx -cell_list", "CellListArg:-cell_list"},
        {"\"C:\\Program Files\\veldo.exe\" -drop", "DropArg:-drop"},
        {"-drop -window_pos 1 2 -debug", "DropArg:-drop|WindowPosArg:-window_pos 1 2|DebugArg:-debug"},
        {"prog -pack \"/tmp/my payload\" out.bin", "PackArg:-pack \"/tmp/my payload\" \"out.bin\""},
        {"prog -pack payload", "PackArg:-pack \"payload\" \"\""},  // the usage line says what is missing
        {"prog -pack", "PackArg:-pack \"\" \"\""},
    };
    for (const auto& c : cases) EXPECT_EQ(Parsed(c.line), c.parsed) << c.line;

    Arguments args;
    ParseArguments(WTXT("x -admin_service my_5fpipe 42"), args);
    ASSERT_EQ(args.count, 1);
    auto* admin = static_cast<AdminServiceArg*>(args[0]);
    EXPECT_EQ(U(admin->serviceName), "my_pipe");
    EXPECT_EQ(admin->number, 42u);
    EXPECT_EQ(FindArgument(args, AdminServiceArg::kClassKey), 0);
    EXPECT_EQ(FindArgument(args, DebugArg::kClassKey), -1);
    ParseArguments(nullptr, args);
    EXPECT_EQ(args.count, 1);
}

TEST(CommandLine, PathOptionsNeedExistingFiles) {
    test::WinePrefix prefix;
    test::WriteFile(prefix.driveC() + "/scene.VELDO", "");
    test::WriteFile(prefix.driveC() + "/my.veldo_cfg", "");
    test::MakeDirs(prefix.driveC() + "/folder.veldo");
    const std::string unixScene = prefix.driveC() + "/scene.VELDO";
    EXPECT_EQ(Parsed("p C:\\scene.VELDO"), "ScenePathArg:C:\\scene.VELDO");
    EXPECT_EQ(Parsed("p " + unixScene), "ScenePathArg:" + unixScene);  // as typed, Unix form
    EXPECT_EQ(Parsed("p c:\\MY.veldo_cfg"), "ConfigPathArg:c:\\MY.veldo_cfg");
    EXPECT_EQ(Parsed("p C:\\missing.veldo"), "");
    EXPECT_EQ(Parsed("p C:\\folder.veldo"), "");
    EXPECT_EQ(Parsed("p C:\\scene.VELDO\\"), "");
    EXPECT_EQ(Parsed("p C:\\scene.txt"), "");
}

TEST(CommandLine, RenderAndEscaping) {
    AdminServiceArg admin;
    admin.serviceName.Assign(WTXT("a b"));
    admin.number = 3;
    WString text(WTXT("old content"));
    admin.Render(text);
    EXPECT_EQ(U(text), "-admin_service a_20b 3");
    WindowPosArg pos;
    pos.x = -5;
    pos.y = 7;
    pos.Render(text);
    EXPECT_EQ(U(text), "-window_pos -5 7");
    ScenePathArg empty;
    empty.Render(text);
    EXPECT_EQ(U(text), "");

    const char* values[] = {"plain", "with space", "_under_", "\t\n !\"#$&'()*;<=>?[\\`{|~", "\xc3\xa9t\xc3\xa9", ""};
    for (const char* v : values) {
        WString escaped, back;
        EscapeArgValue(W(v).CStr(), escaped);
        EXPECT_EQ(U(escaped).find_first_of(" \t\n\"\\"), std::string::npos) << v;
        EXPECT_TRUE(UnescapeArgValue(escaped.CStr(), back));
        EXPECT_EQ(U(back), v);
    }
    WString out;
    EXPECT_FALSE(UnescapeArgValue(WTXT("ab_zz"), out));
    EXPECT_EQ(U(out), "ab_zz");
    EXPECT_FALSE(UnescapeArgValue(WTXT("ab_4"), out));
    EXPECT_TRUE(UnescapeArgValue(WTXT("_41_5C"), out));
    EXPECT_EQ(U(out), "A\\");
}

TEST(CommandLine, RebuiltFromArgv) {
    const char* argv[] = {"/opt/veldo/veldo-installer", "-admin_service", "x y", "", "12"};
    WString line;
    CommandLineFromArgv(5, argv, line);
    EXPECT_EQ(U(line), "/opt/veldo/veldo-installer -admin_service \"x y\" \"\" 12");
    EXPECT_EQ(Split(U(line)), (std::vector<std::string>{"/opt/veldo/veldo-installer", "-admin_service", "x y", "", "12"}));
}

}  // namespace
