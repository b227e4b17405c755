#include "process/linux/sibling_program.h"

#include <filesystem>

namespace varnel {

std::string SiblingProgram(const std::string& name) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  const std::filesystem::path folder = self.parent_path();
  const std::filesystem::path inPackage = folder / "../lib/varnel" / name;
  // The window's program, in the package's folder, looking for varnel itself.
  const std::filesystem::path inBin = folder / "../../bin" / name;
  for (const std::filesystem::path& place : {folder / name, inPackage, inBin}) {
    if (std::filesystem::exists(place, error)) return place.lexically_normal();
  }
  return inPackage;
}

}  // namespace varnel
