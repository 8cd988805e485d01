// The script driver of tavilo-headless: the language line by line, and whole
// scripts through the demonstration program.
#include <gtest/gtest.h>

#include "gdi/png.h"
#include "process.h"
#include "script.h"

using namespace usertest;
using headless::ParseScriptLine;
using headless::ScriptLine;

namespace {

long Field(const std::string& json, const std::string& key) {
    size_t at = json.find("\"" + key + "\":");
    if (at == std::string::npos) return -999;
    return std::strtol(json.c_str() + at + key.size() + 3, nullptr, 10);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        if (nl == std::string::npos) nl = text.size();
        lines.push_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    return lines;
}

TEST(ScriptLanguage, EveryCommandParses) {
    ScriptLine line;
    std::string error;
    ASSERT_TRUE(ParseScriptLine("tap 10 20", &line, &error)) << error;
    ASSERT_EQ(line.events.size(), 2u);
    EXPECT_EQ(line.events[0].kind, host::EventKind::PenDown);
    EXPECT_EQ(line.events[1].kind, host::EventKind::PenUp);
    EXPECT_EQ(line.events[1].x, 10);
    EXPECT_EQ(line.events[1].y, 20);
    ASSERT_TRUE(ParseScriptLine("  move -3 400\r", &line, &error)) << error;
    ASSERT_EQ(line.events.size(), 1u);
    EXPECT_EQ(line.events[0].kind, host::EventKind::PenMove);
    EXPECT_EQ(line.events[0].x, -3);
    ASSERT_TRUE(ParseScriptLine("down 1 2", &line, &error));
    EXPECT_EQ(line.events[0].kind, host::EventKind::PenDown);
    ASSERT_TRUE(ParseScriptLine("up 1 2", &line, &error));
    EXPECT_EQ(line.events[0].kind, host::EventKind::PenUp);
    ASSERT_TRUE(ParseScriptLine("press About..", &line, &error));
    EXPECT_EQ(line.events[0].label, "About..");
    ASSERT_TRUE(ParseScriptLine("press Good Luck", &line, &error));
    EXPECT_EQ(line.events[0].label, "Good Luck");
    ASSERT_TRUE(ParseScriptLine("key alt+/ alt+f4 a", &line, &error)) << error;
    ASSERT_EQ(line.events.size(), 6u);
    EXPECT_EQ(line.events[0].vk, 0xBFu);
    EXPECT_EQ(line.events[0].ch, u'/');
    EXPECT_TRUE(line.events[0].alt);
    EXPECT_EQ(line.events[1].kind, host::EventKind::KeyUp);
    EXPECT_EQ(line.events[2].vk, 0x73u);
    EXPECT_EQ(line.events[2].ch, 0);
    EXPECT_EQ(line.events[4].vk, static_cast<unsigned>('A'));
    EXPECT_FALSE(line.events[4].alt);
    ASSERT_TRUE(ParseScriptLine("command 40011", &line, &error));
    EXPECT_EQ(line.events[0].command, 40011);
    ASSERT_TRUE(ParseScriptLine("wait 60000", &line, &error));
    EXPECT_EQ(line.kind, ScriptLine::Kind::Wait);
    EXPECT_EQ(line.waitMs, 60000u);
    ASSERT_TRUE(ParseScriptLine("shot out dir/a.png", &line, &error));
    EXPECT_EQ(line.path, "out dir/a.png");
    ASSERT_TRUE(ParseScriptLine("state", &line, &error));
    EXPECT_EQ(line.kind, ScriptLine::Kind::State);
    ASSERT_TRUE(ParseScriptLine("quit", &line, &error));
    EXPECT_EQ(line.kind, ScriptLine::Kind::Quit);
    ASSERT_TRUE(ParseScriptLine("   # a comment", &line, &error));
    EXPECT_EQ(line.kind, ScriptLine::Kind::Nothing);
    ASSERT_TRUE(ParseScriptLine("", &line, &error));
    EXPECT_EQ(line.kind, ScriptLine::Kind::Nothing);
}

TEST(ScriptLanguage, BadLinesSayWhatIsWrong) {
    ScriptLine line;
    for (const char* bad : {"tap 10", "tap 10 20 30", "tap x 20", "wait -5", "wait", "wait 1.5", "key",
                            "key ctrl+x", "key alt+nothing", "key f13", "command 70000", "command", "state now",
                            "quit 1", "press", "shot", "frobnicate 1"}) {
        std::string error;
        EXPECT_FALSE(ParseScriptLine(bad, &line, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(ScriptDriver, RunsEveryCommandThroughTheProgram) {
    std::string dir = MakeTempDir();
    std::string shot = dir + "/shot.png";
    std::string script =
        "# the bar moves 4 pixels a tick; after 250 ms it stands at x 20\n"
        "wait 250\n"
        "shot " + shot + "\n"
        "state\n"
        "tap 10 50\n"
        "down 100 120\n"
        "move 101 121\n"
        "up 101 121\n"
        "key a alt+/ b\n"
        "command 101\n"
        "wait 0\n"
        "state\n"
        "quit\n"
        "state\n";
    ProcessResult r = RunDemo({"--config-dir", dir, "--clock-start", "1000", "-"}, script);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2u) << "nothing runs after quit: " << r.out;
    EXPECT_EQ(Field(lines[0], "ticks"), 5);
    EXPECT_EQ(Field(lines[0], "tick"), 1250);
    EXPECT_EQ(Field(lines[1], "taps"), 1);
    EXPECT_EQ(Field(lines[1], "panelTaps"), 1);
    EXPECT_EQ(Field(lines[1], "about"), 1) << "alt+/ went through the accelerators";
    EXPECT_NE(lines[1].find("\"chars\":\"ab\""), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find("\"lastTap\":[10,50]"), std::string::npos);
    EXPECT_EQ(Field(lines[1], "panelVisible"), 0);

    std::vector<uint32_t> pixels;
    int w = 0, h = 0;
    ASSERT_TRUE(gdi::ReadPng(shot.c_str(), &pixels, &w, &h));
    ASSERT_EQ(w, 240);
    ASSERT_EQ(h, 320);
    auto at = [&](int x, int y) { return pixels[y * 240 + x]; };
    EXPECT_EQ(at(5, 5), 0x0000A0u) << "the banner";
    EXPECT_EQ(at(100, 60), 0xFFFFFFu) << "the main window's white";
    EXPECT_EQ(at(25, 150), 0xDC0000u) << "the bar at x 20..39";
    EXPECT_EQ(at(19, 150), 0xA0A0A0u) << "the track left of it";
    EXPECT_EQ(at(40, 150), 0xA0A0A0u) << "the track right of it";
    EXPECT_EQ(at(120, 150), 0xFFC825u) << "the panel over the track";
    EXPECT_EQ(at(61, 101), 0xB28B19u) << "the panel's edge";
    EXPECT_EQ(at(10, 310), 0x000000u) << "no menu bar: the desktop";
}

TEST(ScriptDriver, AWaitRunsTheTimerThatFallsDueAtItsEnd) {
    ProcessResult r = RunDemo({"--config-dir", MakeTempDir(), "-"}, "wait 49\nstate\nwait 1\nstate\nwait 60000\nstate\n");
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 3u) << r.err;
    EXPECT_EQ(Field(lines[0], "ticks"), 0);
    EXPECT_EQ(Field(lines[1], "ticks"), 1);
    EXPECT_EQ(Field(lines[2], "ticks"), 1201);
    EXPECT_EQ(Field(lines[2], "tick"), 60050);
}

TEST(ScriptDriver, TheClockCanStartJustBeforeTheWrap) {
    ProcessResult r = RunDemo({"--config-dir", MakeTempDir(), "--clock-start", "4294967200", "-"}, "wait 200\nstate\n");
    EXPECT_EQ(Field(r.out, "tick"), 104);
    EXPECT_EQ(Field(r.out, "ticks"), 4);
}

TEST(ScriptDriver, ExitsWithTheProgramsCode) {
    EXPECT_EQ(RunDemo({"--config-dir", MakeTempDir(), "-"}, "command 102\nwait 10\nstate\n").exitCode, 7);
    ProcessResult ended = RunDemo({"--config-dir", MakeTempDir(), "-"}, "key alt+f4\nstate\n");
    EXPECT_EQ(ended.exitCode, 0);
    EXPECT_EQ(ended.out, "") << "alt+f4 ended the program before the next line";
    EXPECT_EQ(RunDemo({"--config-dir", MakeTempDir(), "-"}, "").exitCode, 0) << "the end of the script is quit";
}

TEST(ScriptDriver, ABadLineStopsWithItsNumber) {
    ProcessResult r = RunDemo({"--config-dir", MakeTempDir(), "-"}, "state\n\nwait soon\nstate\n");
    EXPECT_NE(r.exitCode, 0);
    EXPECT_EQ(Lines(r.out).size(), 1u) << "the lines before it ran, none after";
    EXPECT_NE(r.err.find("stdin:3:"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("wait soon"), std::string::npos) << r.err;

    ProcessResult press = RunDemo({"--config-dir", MakeTempDir(), "-"}, "press New\n");
    EXPECT_NE(press.exitCode, 0);
    EXPECT_NE(press.err.find("\"New\""), std::string::npos) << press.err;

    ProcessResult missing = RunDemo({"--config-dir", MakeTempDir(), "/nonexistent/script.txt"}, "");
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_NE(missing.err.find("/nonexistent/script.txt"), std::string::npos);
    EXPECT_NE(RunDemo({"--clock-start", "soon", "-"}, "").exitCode, 0);
    EXPECT_NE(RunDemo({"--frobnicate", "-"}, "").exitCode, 0);
}

TEST(ScriptDriver, AScriptOnAPipeDrivesTheRunningProgram) {
    DemoProcess demo(MakeTempDir());
    demo.Write("state\n");
    std::string first = demo.ReadLine();
    EXPECT_EQ(Field(first, "ticks"), 0) << first;
    // Each answer comes while the pipe is still open: lines run as they come.
    demo.Write("wait 100\nstate\n");
    EXPECT_EQ(Field(demo.ReadLine(), "ticks"), 2);
    demo.Write("command 102\n");
    EXPECT_EQ(demo.Finish(), 7);
}

}  // namespace
