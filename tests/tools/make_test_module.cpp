// make_test_module: writes a small XM module with a script, for end-to-end tests.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tests/support/test_modules.h"

using namespace zuzor;

namespace {

const char usage[] =
    "usage: make_test_module OUT.xm [options]\n"
    "  --speed S        ticks per row (default 6)\n"
    "  --tempo T        BPM (default 125)\n"
    "  --rows N         rows per pattern (default 64)\n"
    "  --orders K       number of orders, each its own pattern (default 1)\n"
    "  --no-notes       leave the note channel empty\n"
    "  --event ROW:CODE a Zxx event; repeat for more\n"
    "     ROW  a row counted from the start of the song (order = ROW / N), or ORDER.ROW\n"
    "     CODE Z14 or 0x14 in hex as the tracker writes it, or 20 in decimal (0..255)\n"
    "  Events on the same row go to separate script channels, in the order given.\n"
    "  The song plays once through the orders and then starts again.\n";

struct Event {
    int order;
    int row;
    int code;
};

bool parseInt(const char* text, int base, int& value) {
    char* end = nullptr;
    long v = std::strtol(text, &end, base);
    if (!*text || *end) return false;
    value = int(v);
    return true;
}

bool parseCode(const char* text, int& code) {
    bool ok = false;
    if (text[0] == 'Z' || text[0] == 'z')
        ok = parseInt(text + 1, 16, code);
    else if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        ok = parseInt(text + 2, 16, code);
    else
        ok = parseInt(text, 10, code);
    return ok && code >= 0 && code <= 255;
}

bool parseEvent(const char* text, int rowsPerPattern, Event& event) {
    const char* colon = std::strchr(text, ':');
    if (!colon) return false;
    std::string where(text, colon);
    if (!parseCode(colon + 1, event.code)) return false;
    size_t dot = where.find('.');
    if (dot != std::string::npos) {
        return parseInt(where.substr(0, dot).c_str(), 10, event.order) &&
               parseInt(where.substr(dot + 1).c_str(), 10, event.row);
    }
    int absolute = 0;
    if (!parseInt(where.c_str(), 10, absolute) || absolute < 0) return false;
    event.order = absolute / rowsPerPattern;
    event.row = absolute % rowsPerPattern;
    return true;
}

int fail(const char* message, const char* detail) {
    std::fprintf(stderr, "make_test_module: %s%s\n%s", message, detail, usage);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-') return fail("no output file", "");
    const char* out = argv[1];
    TestModuleShape shape;
    shape.rows = 64;
    std::vector<const char*> eventTexts;
    for (int i = 2; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--no-notes") {
            shape.noteEvery = 0;
            continue;
        }
        if (i + 1 >= argc) return fail("missing value after ", argv[i]);
        const char* value = argv[++i];
        int number = 0;
        bool ok = true;
        if (option == "--event") {
            eventTexts.push_back(value);
        } else if (option == "--speed") {
            ok = parseInt(value, 10, shape.speed) && shape.speed >= 1 && shape.speed <= 31;
        } else if (option == "--tempo") {
            ok = parseInt(value, 10, shape.tempo) && shape.tempo >= 32 && shape.tempo <= 255;
        } else if (option == "--rows") {
            ok = parseInt(value, 10, shape.rows) && shape.rows >= 1 && shape.rows <= 256;
        } else if (option == "--orders") {
            ok = parseInt(value, 10, number) && number >= 1 && number <= 256;
            shape.orders = number;
        } else {
            return fail("unknown option ", argv[i - 1]);
        }
        if (!ok) return fail("bad value: ", value);
    }

    std::vector<Event> events;
    std::map<std::pair<int, int>, int> perRow;
    int channelsNeeded = 1;
    for (const char* text : eventTexts) {
        Event event{};
        if (!parseEvent(text, shape.rows, event) || event.order >= shape.orders ||
            event.row >= shape.rows || event.order < 0 || event.row < 0)
            return fail("bad event: ", text);
        events.push_back(event);
        int& count = perRow[{event.order, event.row}];
        ++count;
        if (count > channelsNeeded) channelsNeeded = count;
    }
    if (channelsNeeded > 31) return fail("too many events on one row", "");
    shape.scriptChannels = channelsNeeded;

    XmModule module = makeTestModule(shape);
    perRow.clear();
    for (const Event& event : events) {
        int channel = 1 + perRow[{event.order, event.row}]++;
        putScriptEvent(module, event.order, event.row, channel, uint8_t(event.code));
    }
    std::vector<uint8_t> bytes = testModuleBytes(module);
    FILE* file = std::fopen(out, "wb");
    if (!file) return fail("cannot write ", out);
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = std::fclose(file) == 0 && written;
    if (!written) return fail("cannot write ", out);
    return 0;
}
