// Environment variables set and removed by the tests, on POSIX and on Windows hosts.
#pragma once
#include <cstdlib>

namespace zuzor {

inline void setEnv(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value);  // the C runtime's copy and the process's, which SDL reads
#else
    setenv(name, value, 1);
#endif
}

inline void unsetEnv(const char* name) {
#ifdef _WIN32
    _putenv_s(name, "");  // an empty value removes the variable
#else
    unsetenv(name);
#endif
}

}  // namespace zuzor
