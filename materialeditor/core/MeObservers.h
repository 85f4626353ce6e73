// A list of observers, as the material manager, the material editor and the
// Material editor palette keep theirs: no duplicates, told in the order they
// came, and free to leave (themselves or another) while they are told.
#pragma once

#include <algorithm>
#include <vector>

namespace me
{
// Adds the observer once; a null one is ignored.
template <class T>
void addObserver(std::vector<T*>& observers, T* observer)
{
  if (observer && std::find(observers.begin(), observers.end(), observer) == observers.end())
    observers.push_back(observer);
}

template <class T>
void removeObserver(std::vector<T*>& observers, T* observer)
{
  auto found = std::find(observers.begin(), observers.end(), observer);
  if (found != observers.end())
    observers.erase(found);
}

// Calls tell for each observer: a copy is walked, and whoever has left the
// list meanwhile is skipped.
template <class T, class Tell>
void tellObservers(const std::vector<T*>& observers, Tell&& tell)
{
  const std::vector<T*> snapshot = observers;
  for (T* observer : snapshot)
    if (std::find(observers.begin(), observers.end(), observer) != observers.end())
      tell(observer);
}
} // namespace me
