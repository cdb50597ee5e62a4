// The unit tests' main: every test runs in the one process, so what a test changes of the
// process (the working directory, the environment) is put back after it, and the next test
// starts where a process of its own would.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "tests/support/test_env.h"

#ifdef _WIN32
#define ZUZOR_ENVIRON _environ
#else
extern char** environ;
#define ZUZOR_ENVIRON environ
#endif

namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> environment() {
    std::map<std::string, std::string> variables;
    for (char** entry = ZUZOR_ENVIRON; *entry; ++entry) {
        const std::string text = *entry;
        const size_t equals = text.find('=');
        if (equals != std::string::npos && equals > 0)  // not Windows' "=C:" entries
            variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    return variables;
}

class ProcessRestorer final : public ::testing::EmptyTestEventListener {
  public:
    void OnTestStart(const ::testing::TestInfo&) override {
        std::error_code error;
        directory_ = fs::current_path(error);
        environment_ = environment();
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        std::error_code error;
        if (!directory_.empty()) fs::current_path(directory_, error);
        if (error) std::abort();
        const auto now = environment();
        for (const auto& [name, value] : now)
            if (!environment_.count(name)) zuzor::unsetEnv(name.c_str());
        for (const auto& [name, value] : environment_) {
            const auto found = now.find(name);
            if (found == now.end() || found->second != value)
                zuzor::setEnv(name.c_str(), value.c_str());
        }
    }

  private:
    fs::path directory_;
    std::map<std::string, std::string> environment_;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ProcessRestorer);
    return RUN_ALL_TESTS();
}
