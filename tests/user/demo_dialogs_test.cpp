// The demonstration program's menu bar, modal dialog and modeless panel,
// driven by "press" through its headless host, with pictures of the dialog
// over the running program and of the drop-down menu.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "gdi/png.h"

namespace {

std::string TempDir() {
    std::string dir = ::testing::TempDir() + "tavilo-demo-dialogs";
    std::string command = "mkdir -p '" + dir + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return dir;
}

// Runs the program on a script; returns its standard output, and its exit
// code through *code.
std::string RunDemo(const std::string& dir, const std::string& script, int* code) {
    std::string path = dir + "/script.txt";
    std::ofstream(path) << script;
    std::string command =
        std::string("'") + TAVILO_DEMO_HEADLESS + "' --config-dir '" + dir + "/config' '" + path + "'";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, n);
    }
    int status = pclose(pipe);
    *code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

void ExpectMatchesGolden(const std::string& shot, const char* name) {
    std::vector<uint32_t> actual;
    std::vector<uint32_t> expected;
    int w = 0;
    int h = 0;
    ASSERT_TRUE(gdi::ReadPng(shot.c_str(), &actual, &w, &h)) << shot;
    std::string golden = std::string(TAVILO_DIALOG_GOLDEN_DIR) + "/" + name + ".png";
    const char* update = std::getenv("TAVILO_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        ASSERT_TRUE(gdi::WritePng(golden.c_str(), actual.data(), w, h));
        return;
    }
    ASSERT_TRUE(gdi::ReadPng(golden.c_str(), &expected, &w, &h)) << "no reference picture " << golden;
    EXPECT_TRUE(actual == expected) << shot << " differs from " << golden;
}

TEST(DemoProgram, MenuBarDialogAndPanelRunFromAScript) {
    std::string dir = TempDir();
    int code = -1;
    std::string out = RunDemo(dir,
                              "command 110\n"
                              "press Dialog\n"
                              "press +\n"
                              "press +\n"
                              "wait 120\n"  // the bar moves under the dialog
                              "shot " + dir + "/dialog.png\n"
                              "press Yes\n"
                              "press More\n"
                              "wait 10\n"
                              "shot " + dir + "/menu.png\n"
                              "press About..\n"
                              "state\n"
                              "press Hide\n"
                              "press Dialog\n"
                              "press OK\n"
                              "wait 10\n"
                              "shot " + dir + "/panel.png\n"
                              "press More\n"
                              "press Quit\n",
                              &code);
    EXPECT_EQ(code, 0);
    EXPECT_NE(out.find("\"about\":1"), std::string::npos) << "About.. reached the main window: " << out;
    EXPECT_NE(out.find("\"ticks\":2"), std::string::npos) << "the timer ran under the dialog: " << out;
    ExpectMatchesGolden(dir + "/dialog.png", "demo_dialog");
    ExpectMatchesGolden(dir + "/menu.png", "demo_menu");
    ExpectMatchesGolden(dir + "/panel.png", "demo_panel");
}

}  // namespace
