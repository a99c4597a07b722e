#include "icc/stage_plan.h"

#include "numeric/truncate.h"

namespace qclr {
namespace {

using Triple = XyzTriple;

Triple Mul(Triple a, Triple b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }
Triple Div(Triple a, Triple b) { return {a.x / b.x, a.y / b.y, a.z / b.z}; }
Triple Sub(Triple a, Triple b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Triple Neg(Triple a) { return {-a.x, -a.y, -a.z}; }
Triple Add(Triple a, Triple b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
constexpr Triple kZero = {0, 0, 0};

// Maps the range black..white of a profile onto 0..illuminant:
// scale = I / (W - B), offset = -scale x B.
struct Normalisation {
  Triple scale, offset;
};
Normalisation Normalise(Triple black, Triple white, Triple illuminant) {
  const Triple scale = Div(illuminant, Sub(white, black));
  return {scale, Neg(Mul(scale, black))};
}

StagePlan Make(StageKind kind, Triple scale, Triple offset) {
  return {kind,
          {ToS15Fixed16(scale.x), ToS15Fixed16(scale.y), ToS15Fixed16(scale.z)},
          {ToS15Fixed16(offset.x), ToS15Fixed16(offset.y), ToS15Fixed16(offset.z)}};
}

}  // namespace

int32_t ToS15Fixed16(double c) { return TruncToInt32(c * 65536 + 0.5); }

StagePlan PlanStage(int32_t inPhase, int32_t outPhase, const StagePoints& p) {
  const Triple bi = p.inBlack, wi = p.inWhite, ii = p.inIlluminant;
  const Triple io = p.outIlluminant, t = p.target, d50 = kD50White;
  const Normalisation out = Normalise(p.outBlack, p.outWhite, io);
  switch (inPhase * 4 + outPhase) {
    case 0 * 4 + 0: return Make(StageKind::kXyzScale, Div(io, ii), kZero);
    case 0 * 4 + 1: return Make(StageKind::kXyzToLab, Div(t, ii), kZero);
    case 0 * 4 + 2: return Make(StageKind::kXyzScale, Div(Sub(wi, bi), ii), Neg(bi));
    case 0 * 4 + 3:  // ((Wi - Bi) / Ii) x s x T / Io, (-Bi x s + o) x T / Io
      return Make(StageKind::kXyzToLab, Div(Mul(Mul(Div(Sub(wi, bi), ii), out.scale), t), io),
                  Div(Mul(Add(Neg(Mul(bi, out.scale)), out.offset), t), io));
    case 1 * 4 + 0: return Make(StageKind::kLabToXyz, Div(io, d50), kZero);
    case 1 * 4 + 2: return Make(StageKind::kLabToXyz, Div(Sub(wi, bi), t), Neg(bi));
    case 1 * 4 + 3: return Make(StageKind::kLabToLab, Div(Sub(wi, bi), t), Neg(bi));
    case 2 * 4 + 0: return Make(StageKind::kXyzScale, out.scale, out.offset);
    case 2 * 4 + 1: return Make(StageKind::kXyzToLab, out.scale, out.offset);
    case 2 * 4 + 3: return Make(StageKind::kXyzToLab, Div(io, d50), kZero);
    case 3 * 4 + 0:
      return Make(StageKind::kLabToXyz, Div(d50, io), Neg(Mul(Div(ii, Sub(wi, bi)), bi)));
    case 3 * 4 + 1: return Make(StageKind::kLabToLab, out.scale, out.offset);
    case 3 * 4 + 2: return Make(StageKind::kLabToXyz, out.scale, out.offset);
    default: return Make(StageKind::kNone, kZero, kZero);  // 1->1, 2->2, 3->3
  }
}

}  // namespace qclr
