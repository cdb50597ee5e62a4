// zuzor-compose: compiles a text score into an XM module.
//   zuzor-compose SCORE -o OUT.xm
// Exit code 0 on success, 1 on a fault in the score (reported as FILE:LINE: message),
// 2 on a usage or file error.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "authoring/score_compiler.h"

using namespace zuzor;

int main(int argc, char** argv) {
    std::string input, output;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-o" && i + 1 < argc)
            output = argv[++i];
        else if (input.empty() && arg.size() && arg[0] != '-')
            input = arg;
        else {
            input.clear();
            break;
        }
    }
    if (input.empty() || output.empty()) {
        std::cerr << "usage: zuzor-compose SCORE -o OUT.xm\n";
        return 2;
    }
    std::ifstream in(input, std::ios::binary);
    if (!in) {
        std::cerr << "zuzor-compose: cannot read " << input << "\n";
        return 2;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::vector<uint8_t> bytes;
    try {
        bytes = compileScore(text.str(), input);
    } catch (const ScoreError& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    // Write to a side file and rename, so a failed write never leaves half a module.
    const std::string partial = output + ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out.flush()) {
            std::cerr << "zuzor-compose: cannot write " << output << "\n";
            std::remove(partial.c_str());
            return 2;
        }
    }
    if (std::rename(partial.c_str(), output.c_str()) != 0) {
        std::cerr << "zuzor-compose: cannot write " << output << "\n";
        std::remove(partial.c_str());
        return 2;
    }
    return 0;
}
