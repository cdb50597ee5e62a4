// zuzor-compose: compiles a text score into an XM module.
//   zuzor-compose SCORE -o OUT.xm
//   zuzor-compose --watch SCORE -o OUT.xm   (compiles again whenever SCORE is saved)
// Exit code 0 on success, 1 on a fault in the score (reported as FILE:LINE: message),
// 2 on a usage or file error. With --watch it runs until stopped; a fault is reported and
// OUT is left as it was.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "authoring/score_compiler.h"
#include "base/file_watch.h"

using namespace zuzor;

namespace {

enum Result { compiled = 0, scoreFault = 1, fileFault = 2 };

Result compile(const std::string& input, const std::string& output, SampleCache* cache = nullptr) {
    std::ifstream in(input, std::ios::binary);
    if (!in) {
        std::cerr << "zuzor-compose: cannot read " << input << "\n";
        return fileFault;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::vector<uint8_t> bytes;
    try {
        bytes = compileScore(text.str(), input, cache);
    } catch (const ScoreError& e) {
        std::cerr << e.what() << "\n";
        return scoreFault;
    }
    // Write to a side file and rename, so a failed write never leaves half a module and a
    // demo watching OUT never reads one.
    const std::string partial = output + ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out.flush()) {
            std::cerr << "zuzor-compose: cannot write " << output << "\n";
            std::remove(partial.c_str());
            return fileFault;
        }
    }
    if (std::rename(partial.c_str(), output.c_str()) != 0) {
        std::cerr << "zuzor-compose: cannot write " << output << "\n";
        std::remove(partial.c_str());
        return fileFault;
    }
    return compiled;
}

// Compiles now and whenever the score has been saved, until stopped. The samples of the
// instruments an edit left alone are kept from the compile before.
[[noreturn]] void watch(const std::string& input, const std::string& output) {
    FileWatch score({input});
    SampleCache cache;
    for (;;) {
        if (compile(input, output, &cache) == compiled)
            std::cerr << "zuzor-compose: wrote " << output << "\n";
        while (score.poll().empty()) score.wait(1000);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string input, output;
    bool watching = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-o" && i + 1 < argc)
            output = argv[++i];
        else if (arg == "--watch")
            watching = true;
        else if (input.empty() && arg.size() && arg[0] != '-')
            input = arg;
        else {
            input.clear();
            break;
        }
    }
    if (input.empty() || output.empty()) {
        std::cerr << "usage: zuzor-compose [--watch] SCORE -o OUT.xm\n";
        return 2;
    }
    if (watching) watch(input, output);
    return compile(input, output);
}
