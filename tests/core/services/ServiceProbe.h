// A service item of the test's own: records events and runs a check when
// the registry destroys it.
#pragma once

#include "core/MeServices.h"

#include <functional>
#include <utility>
#include <vector>

struct ServiceProbe : me::IMeServiceItem
{
  explicit ServiceProbe(std::function<void()> destroyed = nullptr) : onDestroy(std::move(destroyed)) {}
  ~ServiceProbe() override
  {
    if (onDestroy)
      onDestroy();
  }
  void onServiceEvent(int event, void* argument) override { events.emplace_back(event, argument); }

  std::function<void()> onDestroy;
  std::vector<std::pair<int, void*>> events;
};
