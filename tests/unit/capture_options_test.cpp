// The capture tool's command line: what it accepts, and a clear reason for what it refuses.
#include <gtest/gtest.h>

#include <initializer_list>

#include "capture/capture_options.h"

using namespace zuzor;

namespace {

bool parse(std::initializer_list<const char*> args, CaptureOptions& options, std::string& error) {
    std::vector<const char*> argv{"zuzor-capture"};
    argv.insert(argv.end(), args.begin(), args.end());
    return parseCaptureOptions(int(argv.size()), argv.data(), options, error);
}

}  // namespace

TEST(CaptureOptions, DefaultsAndFullSet) {
    CaptureOptions o;
    std::string error;
    ASSERT_TRUE(parse({}, o, error)) << error;
    EXPECT_EQ(o.out, "zuzor.mp4");
    EXPECT_EQ(o.fps, 60);
    EXPECT_EQ(o.width, 800);
    EXPECT_EQ(o.height, 600);
    EXPECT_EQ(o.supersample, 1);
    EXPECT_FALSE(o.hasTo);

    ASSERT_TRUE(parse({"--frames", "d", "--fps", "25", "--size", "401x301", "--ss", "2", "--from",
                       "1.5", "--to", "12", "--module", "m.xm", "--quiet"},
                      o, error))
        << error;
    EXPECT_EQ(o.framesDir, "d");
    EXPECT_EQ(o.fps, 25);
    EXPECT_EQ(o.width, 401);
    EXPECT_EQ(o.height, 301);
    EXPECT_EQ(o.supersample, 2);
    EXPECT_DOUBLE_EQ(o.from, 1.5);
    EXPECT_DOUBLE_EQ(o.to, 12.0);
    EXPECT_EQ(o.module, "m.xm");
    EXPECT_TRUE(o.quiet);

    ASSERT_TRUE(parse({"--frames", "d", "--at", "10,22.5"}, o, error)) << error;
    ASSERT_EQ(o.stills.size(), 2u);
    EXPECT_DOUBLE_EQ(o.stills[1], 22.5);
    EXPECT_EQ(o.stillNames[1], "22.5");
}

TEST(CaptureOptions, RefusesWithAReason) {
    struct Case {
        std::initializer_list<const char*> args;
        const char* reason;
    };
    const Case cases[] = {
        {{"--speed", "2"}, "unknown option --speed"},
        {{"--fps"}, "--fps needs a value"},
        {{"--fps", "0"}, "bad value for --fps"},
        {{"--fps", "60x"}, "bad value for --fps"},
        {{"--fps", "-5"}, "bad value for --fps"},
        {{"--size", "800"}, "bad value for --size"},
        {{"--size", "8x600"}, "bad value for --size"},
        {{"--size", "801x600"}, "even width and height"},
        {{"--ss", "5"}, "bad value for --ss"},
        {{"--size", "7680x4320", "--ss", "3"}, "more than 16384 pixels a side"},
        {{"--from", "abc"}, "bad value for --from"},
        {{"--from", "nan"}, "bad value for --from"},
        {{"--to", "-1"}, "bad value for --to"},
        {{"--from", "10", "--to", "5"}, "--to must be later than --from"},
        {{"--out", "a.mp4", "--frames", "d"}, "exclude each other"},
        {{"--at", "5"}, "--at needs --frames"},
        {{"--frames", "d", "--at", "5,,6"}, "bad value for --at"},
        {{"--frames", "d", "--at", "5", "--from", "2"}, "does not go with --from"},
    };
    for (const Case& c : cases) {
        CaptureOptions o;
        std::string error;
        EXPECT_FALSE(parse(c.args, o, error)) << *c.args.begin();
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

// --from and --to, in the capture as in the demo, take seconds or minutes and seconds.
TEST(CaptureOptions, MomentsInSecondsOrMinutesAndSeconds) {
    CaptureOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--from", "2:10", "--to", "2:15.5"}, o, error)) << error;
    EXPECT_DOUBLE_EQ(o.from, 130.0);
    EXPECT_DOUBLE_EQ(o.to, 135.5);
    for (const char* bad : {"2:75", ":30", "1:5", "1.5:00", "2:", "2:-3", "1:2:3", "-4"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(parse({"--from", bad}, o, error));
        EXPECT_EQ(error, std::string("bad value for --from: '") + bad + "'");
    }
}
