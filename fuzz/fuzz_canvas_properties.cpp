// Fuzzes the canvas's stored property reader: any bytes must be read or
// refused without a crash, a leak or a huge allocation, and a record that is
// read must survive writing and reading again unchanged.
#include <cstddef>
#include <cstdint>

#include "canvas/canvas_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const std::optional<dravel::CanvasProperties> read = dravel::ReadProperties(bytes);
  if (!read) return 0;
  const QByteArray written = dravel::WriteProperties(*read);
  const std::optional<dravel::CanvasProperties> again = dravel::ReadProperties(written);
  if (!again || !(*again == *read) || dravel::WriteProperties(*again) != written) __builtin_trap();
  return 0;
}
