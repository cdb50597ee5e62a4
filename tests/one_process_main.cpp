// The unit tests' main: every test runs in the one process, so what a test changes of the
// process (the working directory, the environment) is put back after it, and the next test
// starts where a process of its own would.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <string>

extern char** environ;

namespace {

std::map<std::string, std::string> environment() {
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const size_t equals = text.find('=');
        if (equals != std::string::npos)
            variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    return variables;
}

class ProcessRestorer final : public ::testing::EmptyTestEventListener {
  public:
    void OnTestStart(const ::testing::TestInfo&) override {
        char path[4096];
        directory_ = getcwd(path, sizeof path) ? path : "";
        environment_ = environment();
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        if (!directory_.empty() && chdir(directory_.c_str()) != 0) std::abort();
        for (const auto& [name, value] : environment())
            if (!environment_.count(name)) unsetenv(name.c_str());
        for (const auto& [name, value] : environment_) setenv(name.c_str(), value.c_str(), 1);
    }

  private:
    std::string directory_;
    std::map<std::string, std::string> environment_;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ProcessRestorer);
    return RUN_ALL_TESTS();
}
