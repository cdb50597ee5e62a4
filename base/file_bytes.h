// Whole files as bytes: the data files the run reads, the outputs the tools write.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zuzor {

// Loads a file into memory. False when it is missing or unreadable.
bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes);

// Writes bytes to a file, replacing it. False when it cannot be written completely.
bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace zuzor
