#include "ui/win32/control_ids.h"

#include <map>

#include "ui/form1_layout.h"

namespace varnel {

int ControlId(const std::string& name) {
  static const std::map<std::string, int> ids = [] {
    std::map<std::string, int> byName;
    int next = 100;
    for (const ControlLayout& c : Form1Layout()) byName[c.name] = next++;
    return byName;
  }();
  const auto it = ids.find(name);
  return it == ids.end() ? 0 : it->second;
}

}  // namespace varnel
