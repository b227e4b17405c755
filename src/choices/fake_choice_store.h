// A store and a login entry for tests: kept in memory, each able to fail on demand.
#pragma once

#include "choices/choice_store.h"
#include "choices/login_start.h"

namespace varnel {

class FakeChoiceStore : public ChoiceStore {
 public:
  Read ReadAll() override { return {values, readProblem}; }
  bool Keep(const KeptValues& kept, std::string& problem) override {
    if (!failure.empty()) return (problem = failure, false);
    for (const auto& [name, value] : kept) values[name] = value;
    return true;
  }
  bool Forget(std::string& problem) override {
    if (!failure.empty()) return (problem = failure, false);
    values.clear();
    return true;
  }
  std::string Where() const override { return "/home/anna/.config/varnel/varnel.conf"; }

  KeptValues values;
  std::string readProblem;
  std::string failure;  // of every write
};

class FakeLoginStart : public LoginStart {
 public:
  bool On() override { return on; }
  bool Set(bool wanted, std::string& problem) override {
    if (!failure.empty()) return (problem = failure, false);
    on = wanted;
    return true;
  }
  std::string Where() const override { return "/home/anna/.config/autostart/varnel.desktop"; }
  bool on = false;
  std::string failure;  // of every write
};

}  // namespace varnel
