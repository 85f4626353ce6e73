// Takes a picture row by row, at the file's size, and keeps it at the size
// it is decoded at (OdGiImageFileInfo::decodedWidth/Height), so that a large
// file never needs its whole picture in memory.
#pragma once

#include "od/GiImageFile.h"

#include <vector>

namespace OdGiImageIo
{
class ImageReducer
{
public:
  // Rows arrive top first, or bottom first as BMP files keep them.
  enum class Order
  {
    TopFirst,
    BottomFirst,
  };
  ImageReducer(OdUInt32 width, OdUInt32 height, OdGsDecodedImage& out, OdUInt32 outWidth, OdUInt32 outHeight,
               Order order = Order::TopFirst);

  // One row of width texels, 8-bit RGBA with straight alpha.
  void addRow(const OdUInt8* rgba);
  // True once every row has come; it then puts bottom-first pictures upright.
  bool finish();

private:
  void emitRow(std::size_t index);

  OdUInt32 m_width, m_height, m_outWidth, m_outHeight;
  Order m_order;
  OdGsDecodedImage& m_out;
  OdUInt32 m_rows = 0;
  // Where each source column falls among the output columns: the output
  // column it starts in and its share of that column (the rest goes to the
  // next one), in output texels.
  std::vector<OdUInt32> m_column;
  std::vector<float> m_columnShare;
  float m_scaleX = 1, m_scaleY = 1;
  // Sums over the two output rows a source row can touch, premultiplied so
  // that transparent texels lend no colour: red, green, blue, alpha.
  std::vector<float> m_line, m_sums[2];
  OdUInt32 m_firstSumRow = 0;
};
} // namespace OdGiImageIo
