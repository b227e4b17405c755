#include "process/linux/sibling_program.h"

#include <filesystem>

namespace varnel {

std::string SiblingProgram(const std::string& name) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  const std::filesystem::path beside = self.parent_path() / name;
  if (std::filesystem::exists(beside, error)) return beside;
  return self.parent_path() / "../lib/varnel" / name;
}

}  // namespace varnel
