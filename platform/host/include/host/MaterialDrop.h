// MaterialDrop: what a material dragged from a module's palette carries to
// the host's view, in one place for both sides. The data goes under the
// registered clipboard format named kMaterialDropFormat as an HGLOBAL
// holding a MaterialDrop. The view takes it only from its own process and
// for the drawing it shows; the drawing is compared by its database's serial
// number, which no later drawing takes (an address may be reused by a
// drawing opened after the first closed), never followed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace host
{
inline constexpr wchar_t kMaterialDropFormat[] = L"MeHost.MaterialDrop";

struct MaterialDrop
{
  std::uint32_t size = sizeof(MaterialDrop); // a payload of another layout is refused
  std::uint32_t processId = 0;               // the process whose drawing it names
  std::uint64_t drawing = 0;                 // the drawing's identity (its database's serial number)
  std::uint64_t material = 0;                // the material's handle in that drawing
};

// The payload read from bytes of a drop; false when they are no payload of
// this layout (too short, another size).
inline bool readMaterialDrop(const void* bytes, std::size_t count, MaterialDrop& drop)
{
  if (!bytes || count < sizeof(MaterialDrop))
    return false;
  std::memcpy(&drop, bytes, sizeof drop);
  return drop.size == sizeof(MaterialDrop);
}
} // namespace host
