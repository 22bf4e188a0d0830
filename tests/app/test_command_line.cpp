#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "app/CommandLine.h"

namespace {
bool parse(std::initializer_list<const char*> args, Options& o, std::string& error) {
    std::vector<const char*> argv{"softshow"};
    argv.insert(argv.end(), args);
    return parseCommandLine(int(argv.size()), argv.data(), o, error);
}
}  // namespace

TEST(CommandLine, ReadsEveryOption) {
    Options o;
    std::string error;
    ASSERT_TRUE(parse({}, o, error));  // no arguments: the live show from 0, seeded by the clock
    EXPECT_EQ(o.mode, RunMode::Live);
    EXPECT_FALSE(o.headless || o.seed.has_value());
    ASSERT_TRUE(parse({"--seed", "4294967295", "--start", "12.5", "--data", "show", "--frames", "out", "--fps",
                       "25", "--from", "1", "--to", "3"},
                      o, error))
        << error;
    EXPECT_EQ(*o.seed, 4294967295u);
    EXPECT_EQ(o.start, 12.5);
    EXPECT_EQ(o.dataDir, "show");
    EXPECT_EQ(o.mode, RunMode::Frames);
    EXPECT_EQ(o.framesDir, "out");
    EXPECT_EQ(o.fps, 25.0);
    EXPECT_EQ(o.from, 1.0);
    EXPECT_EQ(o.to, 3.0);

    Options s;
    ASSERT_TRUE(parse({"--shot", "5", "x.png", "--headless"}, s, error)) << error;
    EXPECT_EQ(s.mode, RunMode::Shot);
    EXPECT_EQ(s.shotTime, 5.0);
    EXPECT_EQ(s.shotFile, "x.png");
    EXPECT_EQ(s.fps, 60.0);
    EXPECT_EQ(s.from, 0.0);
}

TEST(CommandLine, BadArgumentsAreNamed) {
    struct Case {
        std::initializer_list<const char*> args;
        const char* mentions;
    };
    const Case cases[] = {
        {{"--sed", "1"}, "--sed"},
        {{"--seed"}, "--seed"},
        {{"--seed", "-1"}, "--seed"},
        {{"--seed", "4294967296"}, "--seed"},
        {{"--seed", "12x"}, "12x"},
        {{"--start", "nan"}, "--start"},
        {{"--fps", "0", "--headless"}, "--fps"},
        {{"--fps", "30"}, "--fps"},  // a live window runs on the wall clock
        {{"--shot", "5"}, "--shot"},
        {{"--shot", "1", "a.png", "--bench"}, "--bench"},
        {{"--frames", "d", "--from", "5", "--to", "4"}, "--to"},
        {{"--to", "4"}, "--to"},
        {{"--from", "4", "--bench"}, "--from"},
        {{"--shot", "1", "a.png", "--from", "2"}, "--from"},
    };
    for (const Case& c : cases) {
        Options o;
        std::string error;
        EXPECT_FALSE(parse(c.args, o, error)) << *c.args.begin();
        EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
    }
}
