// Lookup-table tags: 'mft1' (8-bit) and 'mft2' (16-bit).
#include <cstddef>
#include <cstdint>

#include "base/memory.h"
#include "base/owned.h"
#include "icc/icc_signatures.h"
#include "icc/icc_tag_readers.h"

namespace qclr {
namespace {

// The table as declared by its head, checked against what the tag can hold.
struct LutShape {
  bool wide;  // 16-bit values ('mft2')
  int32_t inputs, outputs, points, inputEntries, outputEntries;
  size_t gridValues;  // points^inputs * outputs
};

// Reads the head after the type: channel counts, grid points, the matrix and
// (16-bit) the curve lengths. False when the head is cut short, the table is
// refused, or its curves and grid do not all fit in the rest of the profile.
bool ReadShape(IccByteReader* reader, bool wide, LutShape* shape, int32_t matrix[9]) {
  uint8_t inputs, outputs, points, pad;
  if (!reader->ReadU8(&inputs) || !reader->ReadU8(&outputs) || !reader->ReadU8(&points) || !reader->ReadU8(&pad)) {
    return false;
  }
  for (int i = 0; i < 9; ++i) {
    if (!reader->ReadS32(&matrix[i])) return false;
  }
  uint16_t inputEntries = 256, outputEntries = 256;
  if (wide && (!reader->ReadU16(&inputEntries) || !reader->ReadU16(&outputEntries))) return false;
  if (inputs < 1 || inputs > kMaxLutChannels || outputs < 1 || outputs > kMaxLutChannels) return false;
  if (points < 2 || inputEntries < 2 || outputEntries < 2) return false;

  // Every count is bounded by the bytes left before it is multiplied further, so
  // no product can overflow.
  const size_t valueSize = wide ? 2 : 1;
  const size_t available = reader->Remaining() / valueSize;
  const size_t curveValues = static_cast<size_t>(inputs) * inputEntries + static_cast<size_t>(outputs) * outputEntries;
  if (curveValues > available) return false;
  const size_t gridLimit = available - curveValues;
  size_t gridValues = outputs;
  for (int i = 0; i < inputs; ++i) {
    if (gridValues > gridLimit / points) return false;
    gridValues *= points;
  }
  *shape = {wide, inputs, outputs, points, inputEntries, outputEntries, gridValues};
  return true;
}

// Reads `count` values into a new array: 16-bit big-endian, or bytes widened by
// << 8 (0xFF becomes 0xFF00). The bytes were checked to be there.
uint16_t* ReadValues(IccByteReader* reader, size_t count, bool wide) {
  auto* values = static_cast<uint16_t*>(MemAlloc(count * sizeof(uint16_t)));
  if (values == nullptr) return nullptr;
  for (size_t i = 0; i < count; ++i) {
    if (wide) {
      reader->ReadU16(&values[i]);
    } else {
      uint8_t b = 0;
      reader->ReadU8(&b);
      values[i] = static_cast<uint16_t>(b << 8);
    }
  }
  return values;
}

// A curve is linear when entry i is the evenly spaced value floor(i / (n - 1) *
// 65535 + 0.5).
bool IsLinear(const uint16_t* curve, int32_t entries) {
  for (int32_t i = 0; i < entries; ++i) {
    const double expected = static_cast<int32_t>(static_cast<double>(i) / (entries - 1) * 65535.0 + 0.5);
    if (curve[i] != expected) return false;
  }
  return true;
}

// The 8-bit output curves are compared with floor(i * (1/255) * 65535 + 0.5).
bool IsLinear8BitOutput(const uint16_t* curve) {
  for (int32_t i = 0; i < 256; ++i) {
    const double expected = static_cast<int32_t>(i * (1.0 / 255) * 65535.0 + 0.5);
    if (curve[i] != expected) return false;
  }
  return true;
}

void SetCurveParams(InterpParams* p, int32_t entries) {
  *p = {};
  p->samples = entries;
  p->inputs = 1;
  p->outputs = 1;
  p->domain = static_cast<uint16_t>(entries - 1);
  p->stride[0] = 1;
}

void SetGridParams(InterpParams* p, const LutShape& s) {
  *p = {};
  p->samples = s.points;
  p->inputs = s.inputs;
  p->outputs = s.outputs;
  p->domain = static_cast<uint16_t>(s.points - 1);
  // stride[k] steps input channel inputs - 1 - k; at most 16 * 255^3, within int32.
  int64_t stride = s.outputs;
  for (int k = 0; k < 4; ++k) {
    p->stride[k] = static_cast<int32_t>(stride);
    stride *= s.points;
  }
}

// Reads the curves and the grid behind the head into `table`; false when memory
// runs out (what was read stays in the table, which releases it).
bool ReadBody(IccByteReader* reader, const LutShape& s, LutTable* table) {
  bool inputsLinear = true, outputsLinear = true;
  for (int32_t c = 0; c < s.inputs; ++c) {
    table->inputCurves[c] = ReadValues(reader, static_cast<size_t>(s.inputEntries), s.wide);
    if (table->inputCurves[c] == nullptr) return false;
    inputsLinear = inputsLinear && IsLinear(table->inputCurves[c], s.inputEntries);
  }
  table->grid = ReadValues(reader, s.gridValues, s.wide);
  if (table->grid == nullptr) return false;
  for (int32_t c = 0; c < s.outputs; ++c) {
    table->outputCurves[c] = ReadValues(reader, static_cast<size_t>(s.outputEntries), s.wide);
    if (table->outputCurves[c] == nullptr) return false;
    const bool linear = s.wide ? IsLinear(table->outputCurves[c], s.outputEntries)
                               : IsLinear8BitOutput(table->outputCurves[c]);
    outputsLinear = outputsLinear && linear;
  }
  if (inputsLinear) table->flags &= ~LUT_PRE_CURVES;
  if (outputsLinear) table->flags &= ~LUT_POST_CURVES;
  return true;
}

}  // namespace

LutTable* IccReadLut(const IccProfile* profile, uint32_t signature) {
  IccByteReader reader;
  uint32_t type;
  if (IccOpenTag(profile, signature, &reader, &type) != 1) return nullptr;
  if (type != kIccTypeLut8 && type != kIccTypeLut16) return nullptr;
  LutShape shape;
  int32_t matrix[9];
  if (!ReadShape(&reader, type == kIccTypeLut16, &shape, matrix)) return nullptr;

  auto table = CallocRecord<OwnedLutTable>();
  if (table == nullptr) return nullptr;
  table->flags = LUT_GRID | LUT_POST_CURVES | LUT_PRE_CURVES;
  for (int i = 0; i < 9; ++i) {
    table->matrix[i] = matrix[i];
    const double identity = i % 4 == 0 ? 1.0 : 0.0;
    const double difference = S15Fixed16ToDouble(matrix[i]) - identity;
    if (difference > 0.0001 || difference < -0.0001) table->flags |= LUT_MATRIX;
  }
  table->inputChannels = shape.inputs;
  table->outputChannels = shape.outputs;
  table->inputEntries = shape.inputEntries;
  table->outputEntries = shape.outputEntries;
  table->gridPoints = shape.points;
  if (!ReadBody(&reader, shape, table.get())) return nullptr;
  SetCurveParams(&table->inputParams, shape.inputEntries);
  SetCurveParams(&table->outputParams, shape.outputEntries);
  SetGridParams(&table->gridParams, shape);
  return table.release();
}

}  // namespace qclr
