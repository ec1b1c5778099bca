// Helpers shared by the fuzz targets: a scratch folder of the process's own
// (in /dev/shm when the machine has it), removed at exit, and a check that aborts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel::fuzz {

// The scratch folder, ending in '/'; created on first use.
const std::string& ScratchDirectory();

// Writes the bytes to name in the scratch folder and returns the full path.
std::string WriteScratchFile(const std::string& name, const std::uint8_t* data, std::size_t size);

// Removes every file in the scratch folder, so long runs do not fill it.
void ClearScratchDirectory();

// A failed check prints "fuzz check failed: <what>" and aborts, so libFuzzer keeps the input.
void Check(bool condition, const char* what);

}  // namespace vantrel::fuzz
