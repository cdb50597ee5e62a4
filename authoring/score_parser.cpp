// The score reader: one statement per line, instrument and pattern blocks closed by
// "end". Every fault is reported with the line it stands on.
#include "authoring/score_parser.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>

namespace zuzor {

ScoreError::ScoreError(const std::string& source, int lineNumber, const std::string& text)
    : std::runtime_error(source + ":" + std::to_string(lineNumber) + ": " + text),
      line(lineNumber),
      message(text) {}

namespace {

constexpr int kMaxChannels = 32;
constexpr int kMaxRows = 256;

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

// A '#' opens a comment at the start of a line or after a blank, so sharps (C#4) stay notes.
std::string stripComment(const std::string& line) {
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (!quoted && line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
            return line.substr(0, i);
        }
    }
    return line;
}

std::vector<std::string> words(const std::string& s) {
    std::istringstream in(s);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

bool isBlank(const std::string& token) {
    return !token.empty() &&
           std::all_of(token.begin(), token.end(), [](char c) { return c == '.' || c == '-'; });
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = char(std::toupper(static_cast<unsigned char>(c)));
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class Parser {
  public:
    Parser(const std::string& text, const std::string& source) : source_(source) {
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) lines_.push_back(line);
    }

    Score run() {
        while (next()) {
            const std::string& keyword = words_[0];
            if (keyword == "title")
                title();
            else if (keyword == "speed")
                score_.speed = integerArg(1, 31);
            else if (keyword == "tempo")
                score_.tempo = integerArg(32, 255);
            else if (keyword == "channels")
                channels();
            else if (keyword == "instrument")
                instrument();
            else if (keyword == "pattern")
                pattern();
            else if (keyword == "order")
                order();
            else
                fail("unknown statement '" + keyword + "'");
        }
        if (score_.channels.empty()) fail(0, "the score declares no channels");
        if (score_.order.empty()) fail(0, "the score has no order list");
        return std::move(score_);
    }

  private:
    [[noreturn]] void fail(const std::string& message) const { fail(lineNumber_, message); }
    [[noreturn]] void fail(int line, const std::string& message) const {
        throw ScoreError(source_, line, message);
    }

    // Moves to the next line with content; false at the end of the text.
    bool next() {
        while (index_ < lines_.size()) {
            lineNumber_ = int(++index_);
            current_ = trim(stripComment(lines_[index_ - 1]));
            if (current_.empty()) continue;
            words_ = words(current_);
            return true;
        }
        return false;
    }

    long number(const std::string& token, long low, long high, const std::string& what) const {
        size_t used = 0;
        long value = 0;
        try {
            value = std::stol(token, &used, 10);  // "08" is eight, never octal
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != token.size() || token.empty()) fail(what + " '" + token + "' is not a number");
        if (value < low || value > high) {
            fail(what + " " + token + " is outside " + std::to_string(low) + ".." +
                 std::to_string(high));
        }
        return value;
    }

    int integerArg(long low, long high) const {
        if (words_.size() != 2) fail("'" + words_[0] + "' takes one number");
        return int(number(words_[1], low, high, words_[0]));
    }

    std::string quoted(size_t from) const {
        size_t open = current_.find('"', from);
        size_t close = open == std::string::npos ? open : current_.find('"', open + 1);
        if (close == std::string::npos) fail("expected a name in double quotes");
        if (trim(current_.substr(close + 1)) != "") fail("unexpected text after the name");
        return current_.substr(open + 1, close - open - 1);
    }

    void title() { score_.title = quoted(0); }

    void channels() {
        if (!score_.channels.empty()) fail("the channels are already declared");
        if (words_.size() < 2 || words_.size() > kMaxChannels + 1) {
            fail("'channels' names 1 to " + std::to_string(kMaxChannels) + " channels");
        }
        for (size_t i = 1; i < words_.size(); ++i) {
            if (std::count(words_.begin() + 1, words_.end(), words_[i]) > 1) {
                fail("channel '" + words_[i] + "' is named twice");
            }
            score_.channels.push_back(words_[i]);
        }
    }

    // ---- instruments ----

    void instrument() {
        if (words_.size() < 3) fail("expected: instrument TAG \"Name\"");
        ScoreInstrument ins;
        ins.tag = words_[1];
        ins.line = lineNumber_;
        if (ins.tag.size() > 3 || isBlank(ins.tag) ||
            !std::all_of(ins.tag.begin(), ins.tag.end(),
                         [](char c) { return std::isalnum(static_cast<unsigned char>(c)); })) {
            fail("instrument tag '" + ins.tag + "' must be 1 to 3 letters or digits");
        }
        if (instrumentIndex(ins.tag) != 0) fail("instrument '" + ins.tag + "' is declared twice");
        if (score_.instruments.size() >= 128) fail("more than 128 instruments");
        ins.xm.name = quoted(current_.find(ins.tag) + ins.tag.size());
        ins.sample.name = ins.xm.name;
        bool synthSeen = false;
        const int start = lineNumber_;
        while (true) {
            if (!next()) fail(start, "instrument '" + ins.tag + "' has no 'end'");
            const std::string& key = words_[0];
            if (key == "end") break;
            if (key == "synth") {
                synth(ins.voice);
                synthSeen = true;
            } else if (key == "volume") {
                ins.sample.volume = uint8_t(integerArg(0, 64));
            } else if (key == "pan") {
                ins.sample.panning = uint8_t(integerArg(0, 255));
            } else if (key == "fadeout") {
                ins.xm.fadeout = uint16_t(integerArg(0, 4095));
            } else if (key == "volenv") {
                envelope(ins.xm.volumeEnvelope);
            } else if (key == "panenv") {
                envelope(ins.xm.panningEnvelope);
            } else if (key == "vibrato") {
                vibrato(ins.xm);
            } else {
                fail("unknown instrument setting '" + key + "'");
            }
        }
        if (!synthSeen) fail(start, "instrument '" + ins.tag + "' has no 'synth' line");
        score_.instruments.push_back(std::move(ins));
    }

    void synth(SynthVoice& voice) {
        if (words_.size() < 2) fail("expected: synth KIND key=value ...");
        voice.kind = words_[1];
        try {
            synthDefaults(voice.kind);
        } catch (const SynthError& e) {
            fail(e.what());
        }
        for (size_t i = 2; i < words_.size(); ++i) {
            size_t eq = words_[i].find('=');
            if (eq == std::string::npos || eq == 0)
                fail("expected key=value, got '" + words_[i] + "'");
            std::string key = words_[i].substr(0, eq);
            std::string text = words_[i].substr(eq + 1);
            size_t used = 0;
            double value = 0.0;
            try {
                value = std::stod(text, &used);
            } catch (const std::exception&) {
                used = 0;
            }
            if (used == 0 || used != text.size())
                fail("'" + key + "' needs a number, got '" + text + "'");
            voice.params[key] = value;
        }
    }

    // volenv 0:0 4:64 20:40 [sustain 2] [loop 1 3]
    void envelope(XmEnvelope& env) {
        env = XmEnvelope{};
        env.enabled = true;
        for (size_t i = 1; i < words_.size(); ++i) {
            const std::string& w = words_[i];
            if (w == "sustain" && i + 1 < words_.size()) {
                env.sustain = true;
                env.sustainPoint = uint8_t(number(words_[++i], 0, 11, "sustain point"));
            } else if (w == "loop" && i + 2 < words_.size()) {
                env.loop = true;
                env.loopStart = uint8_t(number(words_[++i], 0, 11, "loop start"));
                env.loopEnd = uint8_t(number(words_[++i], 0, 11, "loop end"));
            } else {
                size_t colon = w.find(':');
                if (colon == std::string::npos)
                    fail("envelope point '" + w + "' is not TICK:VALUE");
                long tick = number(w.substr(0, colon), 0, 65535, "envelope tick");
                long value = number(w.substr(colon + 1), 0, 64, "envelope value");
                if (!env.points.empty() && tick <= env.points.back().tick) {
                    fail("envelope ticks must grow: " + w);
                }
                env.points.push_back({uint16_t(tick), uint16_t(value)});
            }
        }
        if (env.points.empty() || env.points.size() > 12) fail("an envelope has 1 to 12 points");
        const size_t last = env.points.size() - 1;
        if ((env.sustain && env.sustainPoint > last) ||
            (env.loop && (env.loopStart > env.loopEnd || env.loopEnd > last))) {
            fail("envelope sustain or loop refers to a missing point");
        }
    }

    // vibrato sine sweep=0 depth=4 rate=20
    void vibrato(XmInstrument& xm) {
        static const std::map<std::string, uint8_t> types = {
            {"sine", 0}, {"square", 1}, {"rampdown", 2}, {"rampup", 3}};
        if (words_.size() < 2 || !types.count(words_[1])) {
            fail("expected: vibrato sine|square|rampdown|rampup sweep=N depth=N rate=N");
        }
        xm.vibratoType = types.at(words_[1]);
        for (size_t i = 2; i < words_.size(); ++i) {
            size_t eq = words_[i].find('=');
            std::string key = words_[i].substr(0, eq);
            if (eq == std::string::npos) fail("expected key=value, got '" + words_[i] + "'");
            long value = number(words_[i].substr(eq + 1), 0, key == "sweep" ? 255 : 63, key);
            if (key == "sweep")
                xm.vibratoSweep = uint8_t(value);
            else if (key == "depth")
                xm.vibratoDepth = uint8_t(value);
            else if (key == "rate")
                xm.vibratoRate = uint8_t(value);
            else
                fail("vibrato has no setting '" + key + "'");
        }
    }

    // ---- patterns ----

    int instrumentIndex(const std::string& tag) const {
        for (size_t i = 0; i < score_.instruments.size(); ++i) {
            if (score_.instruments[i].tag == tag) return int(i) + 1;
        }
        return 0;
    }

    void pattern() {
        if (score_.channels.empty()) fail("declare the channels before the first pattern");
        if (words_.size() != 2) fail("expected: pattern NAME");
        const std::string name = words_[1];
        if (std::find(score_.patternNames.begin(), score_.patternNames.end(), name) !=
            score_.patternNames.end()) {
            fail("pattern '" + name + "' is declared twice");
        }
        if (score_.patterns.size() >= 256) fail("more than 256 patterns");
        const int start = lineNumber_;
        const int channelCount = int(score_.channels.size());
        std::vector<XmCell> cells;
        int rows = 0;
        while (true) {
            if (!next()) fail(start, "pattern '" + name + "' has no 'end'");
            if (words_[0] == "end" && words_.size() == 1) break;
            if (rows == kMaxRows) fail("a pattern has at most 256 rows");
            // "RR | cell | cell ... |": a row label, then each cell closed by a bar.
            if (current_.back() != '|') fail("a row ends with '|' after its last cell");
            std::vector<std::string> fields;
            size_t from = 0;
            for (size_t bar; (bar = current_.find('|', from)) != std::string::npos;
                 from = bar + 1) {
                fields.push_back(trim(current_.substr(from, bar - from)));
            }
            if (fields.size() != size_t(channelCount) + 1) {
                fail("a row has " + std::to_string(channelCount) +
                     " cells after its label, this one has " +
                     std::to_string(int(fields.size()) - 1));
            }
            if (!fields[0].empty()) {
                long label = -1;
                try {
                    size_t used = 0;
                    label = std::stol(fields[0], &used, 16);
                    if (used != fields[0].size()) label = -1;
                } catch (const std::exception&) {
                }
                if (label != rows) {
                    char expected[8];
                    std::snprintf(expected, sizeof expected, "%02X", rows);
                    fail("row label '" + fields[0] + "' where row " + expected + " is expected");
                }
            }
            for (int ch = 0; ch < channelCount; ++ch)
                cells.push_back(cell(fields[size_t(ch) + 1], ch));
            ++rows;
        }
        if (rows == 0) fail(start, "pattern '" + name + "' has no rows");
        XmPattern pattern(rows, channelCount);
        pattern.cells = std::move(cells);
        score_.patternNames.push_back(name);
        score_.patterns.push_back(std::move(pattern));
    }

    XmCell cell(const std::string& text, int channel) const {
        XmCell c;
        std::vector<std::string> tokens = words(text);
        if (tokens.size() > 4)
            fail("a cell has at most 4 parts (note instrument volume effect): '" + text + "'");
        tokens.resize(4);
        const std::string& channelName = score_.channels[size_t(channel)];
        if (!tokens[0].empty() && !isBlank(tokens[0])) c.note = note(tokens[0]);
        if (!tokens[1].empty() && !isBlank(tokens[1])) {
            int index = instrumentIndex(tokens[1]);
            if (index == 0)
                fail("unknown instrument '" + tokens[1] + "' on channel " + channelName);
            c.instrument = uint8_t(index);
        }
        if (!tokens[2].empty() && !isBlank(tokens[2])) c.volume = volume(tokens[2]);
        if (!tokens[3].empty() && !isBlank(tokens[3])) effect(tokens[3], c);
        const bool script = channelName == kScriptChannel;
        const bool isZ = c.effect == 35;
        if (script && (c.note || c.instrument || c.volume || (!isZ && (c.effect || c.param)))) {
            fail("the script channel holds only Zxx commands: '" + text + "'");
        }
        if (!script && isZ) fail("Zxx belongs on the script channel, not on " + channelName);
        return c;
    }

    uint8_t note(const std::string& t) const {
        if (t == "off" || t == "===" || t == "^^^") return 97;
        static const std::string names = "C-C#D-D#E-F-F#G-G#A-A#B-";
        if (t.size() == 3 && t[2] >= '0' && t[2] <= '7') {
            for (int i = 0; i < 12; ++i) {
                if (names.compare(size_t(i) * 2, 2, t, 0, 2) == 0) {
                    return uint8_t((t[2] - '0') * 12 + i + 1);
                }
            }
        }
        fail("'" + t + "' is not a note (C-4, F#2, off)");
    }

    // Volume column: v00..v40 volume, -x/+x slide, dx/ux fine slide, sx vibrato speed,
    // hx vibrato depth, px panning, <x/>x panning slide, mx tone portamento.
    uint8_t volume(const std::string& t) const {
        if (t.size() == 3 && t[0] == 'v' && hexDigit(t[1]) >= 0 && hexDigit(t[2]) >= 0) {
            int v = hexDigit(t[1]) * 16 + hexDigit(t[2]);
            if (v > 0x40) fail("volume '" + t + "' is above v40");
            return uint8_t(0x10 + v);
        }
        static const std::string kinds = "-+dushp<>m";
        if (t.size() == 2 && kinds.find(t[0]) != std::string::npos && hexDigit(t[1]) >= 0) {
            return uint8_t(0x60 + 0x10 * int(kinds.find(t[0])) + hexDigit(t[1]));
        }
        fail("'" + t +
             "' is not a volume column entry (v40, -4, +4, d2, u2, s4, h4, p8, <2, >2, m4)");
    }

    void effect(const std::string& t, XmCell& c) const {
        if (t.size() == 3 && hexDigit(t[1]) >= 0 && hexDigit(t[2]) >= 0) {
            char e = char(std::toupper(static_cast<unsigned char>(t[0])));
            int code = e >= '0' && e <= '9' ? e - '0' : (e >= 'A' && e <= 'Z' ? e - 'A' + 10 : -1);
            if (code >= 0) {
                c.effect = uint8_t(code);
                c.param = uint8_t(hexDigit(t[1]) * 16 + hexDigit(t[2]));
                return;
            }
        }
        fail("'" + t + "' is not an effect (three characters, e.g. A04, 47F, Z14)");
    }

    void order() {
        if (words_.size() < 2) fail("expected: order PATTERN ...");
        for (size_t i = 1; i < words_.size(); ++i) {
            auto it = std::find(score_.patternNames.begin(), score_.patternNames.end(), words_[i]);
            if (it == score_.patternNames.end())
                fail("unknown pattern '" + words_[i] + "' in the order");
            if (score_.order.size() >= 256) fail("the order list holds at most 256 entries");
            score_.order.push_back(int(it - score_.patternNames.begin()));
        }
    }

    std::string source_;
    std::vector<std::string> lines_;
    size_t index_ = 0;
    int lineNumber_ = 0;
    std::string current_;
    std::vector<std::string> words_;
    Score score_;
};

}  // namespace

Score parseScore(const std::string& text, const std::string& sourceName) {
    return Parser(text, sourceName).run();
}

}  // namespace zuzor
