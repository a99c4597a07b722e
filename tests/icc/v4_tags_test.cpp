// The tag types of version 4 profiles: parametric curves, the multi-stage tables
// 'mAB ' and 'mBA ', the chromatic adaptation and multi-localised text, each
// against values computed from the format's formulas.
#include "icc_test_support.h"
#include "icc/media_points.h"

namespace qclr {
namespace {

using namespace test;

ProfilePtr ProfileWith(uint32_t signature, const Bytes& tag, uint32_t pcs = kIccSpaceXyz,
                       uint32_t version = 0x04300000) {
  TestProfile p;
  p.connectionSpace = pcs;
  p.version = version;
  return p.Tag(signature, tag).Open();
}

double Quantized(double v) { return std::lround(v * 65536) / 65536.0; }  // as an s15.16 tag holds it

// The five functions as the format defines them, on the parameters a tag holds.
double Parametric(uint16_t function, std::vector<double> p, double x) {
  for (double& v : p) v = Quantized(v);
  p.resize(7, 0.0);
  const double g = p[0], a = p[1], b = p[2], c = p[3], d = p[4], e = p[5], f = p[6];
  switch (function) {
    case 0: return std::pow(x, g);
    case 1: return x >= -b / a ? std::pow(a * x + b, g) : 0.0;
    case 2: return x >= -b / a ? std::pow(a * x + b, g) + c : c;
    case 3: return x >= d ? std::pow(a * x + b, g) : c * x;
    default: return x >= d ? std::pow(a * x + b, g) + e : c * x + f;
  }
}

struct ParaCase {
  const char* what;
  uint16_t function;
  std::vector<double> params;
};
const ParaCase kParaCases[] = {
    {"0: gamma 2.2", 0, {2.2}},
    {"1: zero below -b/a", 1, {2.0, 1.25, -0.25}},
    {"2: c below -b/a and added above", 2, {1.5, 1.6, -0.4, 0.05}},
    {"3: sRGB", 3, {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045}},
    {"4: offsets e and f, clamped at 1", 4, {2.2, 0.9, 0.1, 0.5, 0.1, 0.3, 0.02}},
};

// Each function, sampled at 4096 entries, holds its formula rounded to 16 bits.
TEST(ParametricCurve, EachFunctionFollowsItsFormula) {
  for (const ParaCase& c : kParaCases) {
    const CurvePtr curve(IccReadCurve(ProfileWith(kIccTagRedCurve, ParaTag(c.function, c.params)).get(),
                                      kIccTagRedCurve));
    ASSERT_NE(curve, nullptr) << c.what;
    ASSERT_EQ(curve->count, 4096) << c.what;
    double worst = 0;
    for (int32_t i = 0; i < curve->count; ++i) {
      const double y = std::clamp(Parametric(c.function, c.params, i / 4095.0), 0.0, 1.0) * 65535;
      worst = std::max(worst, std::fabs(curve->entries[i] - y));
    }
    EXPECT_LE(worst, 0.5 + 1e-6) << c.what;
  }
  // Unknown functions and parameters cut short are refused.
  Bytes cut = ParaTag(3, {2.4, 1, 0, 1});  // one parameter short of function 3
  for (const Bytes& tag : {ParaTag(5, {1, 1, 1, 1, 1, 1, 1}), cut, ParaTag(0, {})}) {
    EXPECT_EQ(IccReadCurve(ProfileWith(kIccTagRedCurve, tag).get(), kIccTagRedCurve), nullptr);
  }
}

// ---- Multi-stage tables -----------------------------------------------------

// A curve element and the formula it stands for.
struct CurveElement {
  Bytes tag;
  std::function<double(double)> y;
};
const CurveElement kIdentity{CurveTag({}), [](double x) { return x; }};
const CurveElement kSquare{ParaTag(0, {2.0}), [](double x) { return x * x; }};
const CurveElement kSrgb{ParaTag(3, kParaCases[3].params),
                         [](double x) { return Parametric(3, kParaCases[3].params, x); }};
const CurveElement kRamp{CurveTag({0x1000, 0xF000}), [](double x) { return (0x1000 + x * 0xE000) / 65535; }};
const CurveElement kOffset{ParaTag(2, {1.0, 0.5, 0.25, 0.2}), [](double x) { return Quantized(0.5) * x + 0.45; }};
const CurveElement kCurveSet[] = {kSrgb, kSquare, kRamp, kOffset};

// A grid that holds a linear function of its inputs, which multilinear
// interpolation reproduces exactly anywhere: output k is sum_i w[k][i] x_i with
// w[k][i] = steps[k][i] x (points_i - 1) / 255, so every node is a whole number
// of 255ths (exact in 8 and in 16 bits).
constexpr uint32_t kSteps[4][4] = {{51, 25, 20, 9}, {100, 10, 5, 12}, {0, 60, 15, 20}, {30, 7, 40, 3}};
constexpr uint8_t kPoints[4] = {2, 3, 5, 4};

double GridFunction(const std::vector<double>& x, uint32_t k) {
  double sum = 0;
  for (size_t i = 0; i < x.size(); ++i) sum += kSteps[k][i] * (kPoints[i] - 1) * x[i] / 255;
  return sum;
}

std::vector<uint16_t> GridValues(uint32_t inputs, uint32_t outputs, uint8_t precision) {
  std::vector<uint16_t> values;
  std::vector<uint32_t> index(inputs, 0);
  for (bool done = false; !done;) {
    for (uint32_t k = 0; k < outputs; ++k) {
      uint32_t steps = 0;
      for (uint32_t i = 0; i < inputs; ++i) steps += kSteps[k][i] * index[i];
      values.push_back(uint16_t(precision == 1 ? steps : steps * 257));
    }
    done = true;  // the last input varies fastest
    for (int32_t i = int32_t(inputs) - 1; i >= 0 && done; --i) {
      done = ++index[size_t(i)] == kPoints[i];
      if (done) index[size_t(i)] = 0;
    }
  }
  return values;
}

// Maps [0, 1]^3 into [0, 1]^3 without clipping.
const std::vector<double> kMatrix = {0.5, 0.2, 0.1, 0.1, 0.6, 0.1, 0.0, 0.3, 0.4, 0.1, 0.05, 0.2};

struct Combination {
  bool toPcs;
  uint32_t inputs, outputs;
  bool grid, matrix;  // A curves come with the grid, M curves with the matrix
};

TestLutAB Build(const Combination& c, uint8_t precision) {
  TestLutAB t;
  t.toPcs = c.toPcs, t.inputs = c.inputs, t.outputs = c.outputs, t.precision = precision;
  const uint32_t device = c.toPcs ? c.inputs : c.outputs, pcs = c.toPcs ? c.outputs : c.inputs;
  for (uint32_t i = 0; i < pcs; ++i) t.b.push_back(kCurveSet[(i + 1) % 4].tag);
  if (c.matrix) {
    t.matrix = kMatrix;
    for (uint32_t i = 0; i < 3; ++i) t.m.push_back(kCurveSet[(i + 2) % 4].tag);
  }
  if (c.grid) {
    for (uint32_t i = 0; i < device; ++i) t.a.push_back(kCurveSet[i % 4].tag);
    t.gridPoints.assign(kPoints, kPoints + c.inputs);
    t.grid = GridValues(c.inputs, c.outputs, precision);
  }
  return t;
}

// The table's formulas in doubles, element by element in the type's order.
std::vector<double> Model(const Combination& c, std::vector<double> v) {
  const auto curves = [&v](int offset) {
    for (size_t i = 0; i < v.size(); ++i) v[i] = std::clamp(kCurveSet[(i + size_t(offset)) % 4].y(v[i]), 0.0, 1.0);
  };
  const auto matrix = [&v] {
    std::vector<double> r(3);
    for (int k = 0; k < 3; ++k) r[size_t(k)] = Quantized(kMatrix[size_t(9 + k)]);
    for (int k = 0; k < 3; ++k)
      for (int i = 0; i < 3; ++i) r[size_t(k)] += Quantized(kMatrix[size_t(3 * k + i)]) * v[size_t(i)];
    v = r;
  };
  const auto grid = [&v, &c] {
    std::vector<double> r(c.outputs);
    for (uint32_t k = 0; k < c.outputs; ++k) r[k] = GridFunction(v, k);
    v = r;
  };
  if (c.toPcs) {
    if (c.grid) curves(0), grid();
    if (c.matrix) curves(2), matrix();
    curves(1);
  } else {
    curves(1);
    if (c.matrix) matrix(), curves(2);
    if (c.grid) grid(), curves(0);
  }
  return v;
}

// Every combination of elements the format allows, in both directions, with 8-
// and 16-bit grids and both connection spaces, against the formulas. With a Lab
// connection space the PCS side is re-encoded (version 4 to the engine's version 2
// encoding, x 256 / 257).
TEST(LutAB, EveryCombinationOfElementsFollowsTheFormulas) {
  const Combination combinations[] = {
      {true, 3, 3, false, false},  {true, 3, 3, false, true},  {true, 3, 3, true, false},
      {true, 3, 3, true, true},    {true, 4, 3, true, false},  {true, 4, 3, true, true},
      {false, 3, 3, false, false}, {false, 3, 3, false, true}, {false, 3, 3, true, false},
      {false, 3, 3, true, true},   {false, 3, 4, true, false}, {false, 3, 4, true, true},
  };
  const double points[] = {0.0, 0.2, 0.5, 0.77, 1.0};
  for (const Combination& c : combinations) {
    for (const uint8_t precision : {uint8_t{1}, uint8_t{2}}) {
      for (const uint32_t pcs : {kIccSpaceXyz, kIccSpaceLab}) {
        if (precision == 1 && !c.grid) continue;
        SCOPED_TRACE(testing::Message() << (c.toPcs ? "mAB " : "mBA ") << c.inputs << "->" << c.outputs
                                        << (c.grid ? " A+grid" : "") << (c.matrix ? " M+matrix" : "") << " precision "
                                        << int(precision) << (pcs == kIccSpaceLab ? " Lab" : " XYZ"));
        const uint32_t signature = c.toPcs ? kIccTagAToB0 : kIccTagBToA0;
        const ProfilePtr profile = ProfileWith(signature, LutABTag(Build(c, precision)), pcs);
        const LutABPtr table(IccReadLutAB(profile.get(), signature));
        ASSERT_NE(table, nullptr);
        double worst = 0;
        for (uint32_t n = 0; n < uint32_t(std::pow(5, c.inputs)); ++n) {
          std::vector<double> x(c.inputs);
          uint16_t in[4], out[4];
          for (uint32_t i = 0, rest = n; i < c.inputs; ++i, rest /= 5) {
            x[i] = points[rest % 5];
            in[i] = uint16_t(x[i] * 65535 + 0.5);
          }
          const bool lab = pcs == kIccSpaceLab;
          if (lab && !c.toPcs) {  // the engine's Lab in, the table's encoding inside
            for (uint32_t i = 0; i < 3; ++i) x[i] = std::min(1.0, in[i] * 257.0 / 256 / 65535);
          }
          const std::vector<double> expected = Model(c, x);
          IccEvalLutAB(*table, in, out);
          for (uint32_t k = 0; k < c.outputs; ++k) {
            const double scale = lab && c.toPcs ? 65280 : 65535;
            worst = std::max(worst, std::fabs(out[k] - expected[k] * scale));
          }
        }
        EXPECT_LE(worst, 4.0);
      }
    }
  }
}

// The matrix/curve model of a display written as tables ('mAB ': M curves, matrix,
// B curves; 'mBA ' the inverse, with the sRGB inverse as function 4) converts like
// the model itself: the tables' XYZ is 0..1 for 0..1.99997 (1.0 = 0x8000).
TEST(LutAB, MatrixCurveModelWrittenAsTablesConvertsLikeTheModel) {
  const std::vector<double> srgb = kParaCases[3].params;
  const std::vector<double> inverse = {1 / 2.4, std::pow(1.055, 2.4), 0, 12.92, 0.0031308, -0.055, 0};
  Matrix3 colorants{}, undo{};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) colorants.m[r][c] = kVideoColorants[c][r] / 65536.0;
  ASSERT_TRUE(InvertMatrix3(colorants, &undo));
  TestLutAB toPcs, fromPcs;
  fromPcs.toPcs = false;
  for (int i = 0; i < 3; ++i) {
    toPcs.m.push_back(ParaTag(3, srgb)), toPcs.b.push_back(CurveTag({}));
    fromPcs.b.push_back(CurveTag({})), fromPcs.m.push_back(ParaTag(4, inverse));
  }
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      toPcs.matrix.push_back(colorants.m[r][c] * 32768 / 65535);
      fromPcs.matrix.push_back(undo.m[r][c] * 65535 / 32768);
    }
  toPcs.matrix.resize(12, 0.0), fromPcs.matrix.resize(12, 0.0);
  TestProfile tables;
  tables.version = 0x04300000;
  const Bytes tableBytes = tables.Tag(kIccTagAToB0, LutABTag(toPcs)).Tag(kIccTagBToA0, LutABTag(fromPcs)).Build();
  TestProfile model;
  model.version = 0x04300000;
  const Bytes modelBytes = model.MatrixCurveTags(kVideoColorants, ParaTag(3, srgb)).Build();
  const std::vector<uint8_t> rgb = RgbGrid(0, 255, 15), lab = RgbGrid(0, 255, 17);
  for (const bool toLab : {true, false}) {
    int32_t status = 0;
    const auto build = [&](const Bytes& profile) {
      return toLab ? BuildFromBytes(profile, kFormatRgb8, LabIdentityProfile(), kFormatLab8, &status)
                   : BuildFromBytes(LabIdentityProfile(), kFormatLab8, profile, kFormatRgb8, &status);
    };
    const TransformPtr viaTables = build(tableBytes), viaModel = build(modelBytes);
    ASSERT_TRUE(viaTables && viaModel);
    EXPECT_NE(toLab ? viaTables->inputTableAB : viaTables->outputTableAB, nullptr);
    const std::vector<uint8_t> chart = toLab ? rgb : lab;
    const std::vector<uint8_t> a = Convert(*viaTables, chart), b = Convert(*viaModel, chart);
    int worst = 0;
    for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
    EXPECT_LE(worst, 1) << (toLab ? "to Lab" : "from Lab");
  }
}

TEST(LutAB, LabEncodingsOfTheConnectionSpace) {
  using V = std::vector<uint16_t>;
  const std::tuple<V, V> pairs[] = {  // version 4, version 2
      {{0xFFFF, 0x8080, 0x8080}, {0xFF00, 0x8000, 0x8000}},  // white
      {{0, 0, 0xFFFF}, {0, 0, 0xFF00}},                       // a -128, b +127
      {{0x1234, 0x4321, 0xABCD}, {0x1222, 0x42DE, 0xAB22}},
  };
  for (const auto& [v4, v2] : pairs) {
    V to2(3), to4(3);
    Lab16V4ToV2(v4.data(), to2.data());
    Lab16V2ToV4(v2.data(), to4.data());
    EXPECT_EQ(to2, v2);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(to4[size_t(i)], v4[size_t(i)], 1) << i;
  }
  const V beyond = {0xFFFF, 0xFF01, 0x7F80};  // a and b above 0xFF00 have no version 4 code
  V to4(3);
  Lab16V2ToV4(beyond.data(), to4.data());
  EXPECT_EQ(to4, (V{0xFFFF, 0xFFFF, 0x8000}));
}

// What the format does not allow, or what does not fit, is not read.
TEST(LutAB, RefusesTablesThatCannotBeRead) {
  const Combination full{true, 3, 3, true, true};
  const std::pair<const char*, std::function<Bytes(TestLutAB)>> cases[] = {
      {"no B curves", [](TestLutAB t) { return t.b.clear(), LutABTag(t); }},
      {"A curves without the grid", [](TestLutAB t) { return t.gridPoints.clear(), LutABTag(t); }},
      {"the grid without A curves", [](TestLutAB t) { return t.a.clear(), LutABTag(t); }},
      {"M curves without the matrix", [](TestLutAB t) { return t.matrix.clear(), LutABTag(t); }},
      {"the matrix without M curves", [](TestLutAB t) { return t.m.clear(), LutABTag(t); }},
      {"different channel counts without a grid",
       [](TestLutAB t) { return t.a.clear(), t.gridPoints.clear(), t.outputs = 4, LutABTag(t); }},
      {"a matrix on four channels",
       [](TestLutAB t) { return t.outputs = 4, t.grid.resize(t.grid.size() * 4 / 3), t.b.push_back(kSquare.tag), LutABTag(t); }},
      {"17 inputs", [](TestLutAB t) { return t.inputs = 17, LutABTag(t); }},
      {"no outputs", [](TestLutAB t) { return t.outputs = 0, LutABTag(t); }},
      {"a grid side of 0 points", [](TestLutAB t) { return t.gridPoints[1] = 0, LutABTag(t); }},
      {"precision 3", [](TestLutAB t) { return t.precision = 3, LutABTag(t); }},
      {"a curve of type 'XYZ '", [](TestLutAB t) { return t.m[1] = XyzTag(1, 2, 3), LutABTag(t); }},
      {"an unknown parametric function", [](TestLutAB t) { return t.a[2] = ParaTag(9, {1}), LutABTag(t); }},
      {"the grid cut short (A curves moved before it)",
       [](TestLutAB t) {
         Bytes b = LutABTag(t);
         SetU32(b, 28, GetU32(b, 12));  // the B curves serve as A curves too
         return b.resize(GetU32(b, 24) + 20 + 2 * t.grid.size() - 1), b;
       }},
      {"the last curve cut short", [](TestLutAB t) { Bytes b = LutABTag(t); return b.erase(b.end() - 2, b.end()), b; }},
      {"an offset past the tag", [](TestLutAB t) { Bytes b = LutABTag(t); return SetU32(b, 12, uint32_t(b.size())), b; }},
      {"an offset far past the tag", [](TestLutAB t) { Bytes b = LutABTag(t); return SetU32(b, 24, 0xFFFFFFF0u), b; }},
  };
  ASSERT_NE(LutABPtr(IccReadLutAB(ProfileWith(kIccTagAToB0, LutABTag(Build(full, 2))).get(), kIccTagAToB0)), nullptr);
  for (const auto& [what, make] : cases) {
    const ProfilePtr p = ProfileWith(kIccTagAToB0, make(Build(full, 2)));
    EXPECT_EQ(LutABPtr(IccReadLutAB(p.get(), kIccTagAToB0)), nullptr) << what;
  }
  const ProfilePtr lut16 = ProfileWith(kIccTagAToB0, TwoPointLutTag(3, 3, [](uint32_t, uint32_t) { return uint16_t(0); }));
  EXPECT_EQ(LutABPtr(IccReadLutAB(lut16.get(), kIccTagAToB0)), nullptr);
}

TEST(LutAB, ReleasesEverythingWhenAnAllocationFails) {
  const ProfilePtr p = ProfileWith(kIccTagAToB0, LutABTag(Build({true, 3, 3, true, true}, 2)));
  EXPECT_EQ(FailuresUntilSuccess([&] { return LutABPtr(IccReadLutAB(p.get(), kIccTagAToB0)) != nullptr; }),
            1 + 3 + 3 + 1 + 3)
      << "table, B curves, M curves, grid, A curves";
}

// ---- Chromatic adaptation and media points -----------------------------------

// Bradford adaptation from D65 to D50, as version 4 sRGB profiles carry it.
const double kD65ToD50[9] = {1.0478112, 0.0228866, -0.0501270, 0.0295424, 0.9904844,
                             -0.0170491, -0.0092345, 0.0150436, 0.7521316};
Bytes ChadTag(const double* m, int count = 9) {
  Bytes b = TagHead(kIccTypeS15Fixed16Array);
  for (int i = 0; i < count; ++i) PutU32(b, uint32_t(int32_t(std::lround(m[i] * 65536))));
  return b;
}
// The D50 white the matrix takes D65 (0.95047, 1, 1.08883) to.
const Bytes kD50Tag = XyzTag(0xF6D6, 0x10000, 0xD341);

// A version 4 profile stores its white adapted to D50 and the adaptation in
// 'chad'; the stage takes the white back through it, to the white a version 2
// profile of the device stores. Version 2 profiles keep their points as stored.
TEST(MediaPoints, VersionFourPointsAreTakenBackThroughTheAdaptation) {
  const double singular[9] = {1, 2, 3, 2, 4, 6, 0, 0, 1};
  const Bytes black = XyzTag(0x0148, 0x0154, 0x0119);  // D50-adapted black
  struct Case {
    const char* what;
    uint32_t version;
    Bytes chad;
    uint32_t broken;
    XyzTriple white;
  };
  const Case cases[] = {
      {"version 4 with chad", 0x04300000, ChadTag(kD65ToD50), 0, {0.95047, 1.0, 1.08883}},
      {"version 2 with chad", 0x02400000, ChadTag(kD65ToD50), 0, kD50White},
      {"version 4 without chad", 0x04200000, {}, 0, kD50White},
      {"chad of another type", 0x04300000, XyzTag(1, 2, 3), 0, kD50White},
      {"chad cut short", 0x04300000, ChadTag(kD65ToD50, 8), kIccTagChromaticAdaptation, {}},
      {"chad not invertible", 0x04300000, ChadTag(singular), kIccTagChromaticAdaptation, {}},
  };
  for (const Case& c : cases) {
    TestProfile p;
    p.version = c.version;
    p.Tag(kIccTagMediaWhite, kD50Tag).Tag(kIccTagMediaBlack, black);
    if (!c.chad.empty()) p.Tag(kIccTagChromaticAdaptation, c.chad);
    XyzTriple b{}, w{};
    EXPECT_EQ(IccReadMediaPoints(p.Open().get(), &b, &w), c.broken) << c.what;
    if (c.broken != 0) continue;
    EXPECT_NEAR(w.x, c.white.x, 2e-4) << c.what;
    EXPECT_NEAR(w.y, c.white.y, 2e-4) << c.what;
    EXPECT_NEAR(w.z, c.white.z, 2e-4) << c.what;
    EXPECT_GT(b.x, 0.0) << c.what;
  }
}

// So absolute colorimetry from a version 4 display profile gives the stage of the
// version 2 profile whose white point is the display's own.
TEST(MediaPoints, AbsoluteStageOfVersionFourEqualsVersionTwo) {
  const Bytes gamma = CurveTag({0x0233});
  TestProfile v2, v4;
  v4.version = 0x04300000;
  v2.MatrixCurveTags(kVideoColorants, gamma), v4.MatrixCurveTags(kVideoColorants, gamma);
  TestProfile v4WithoutChad = v4;
  v2.Tag(kIccTagMediaWhite, XyzTag(0xF352, 0x10000, 0x116BE));  // D65
  v4.Tag(kIccTagMediaWhite, kD50Tag).Tag(kIccTagChromaticAdaptation, ChadTag(kD65ToD50));
  v4WithoutChad.Tag(kIccTagMediaWhite, kD50Tag);
  TestProfile lab;
  lab.deviceClass = kIccClassColorSpace, lab.colorSpace = kIccSpaceLab, lab.connectionSpace = kIccSpaceLab;
  lab.renderingIntent = 3;  // absolute: the input's white point enters the stage
  const Bytes labBytes = lab.Tag(kIccTagAToB0, IdentityLutTag()).Tag(kIccTagBToA0, IdentityLutTag()).Build();
  int32_t status = 0;
  const TransformPtr fromV2 = BuildFromBytes(v2.Build(), kFormatRgb8, labBytes, kFormatLab8, &status);
  const TransformPtr fromV4 = BuildFromBytes(v4.Build(), kFormatRgb8, labBytes, kFormatLab8, &status);
  const TransformPtr asStored = BuildFromBytes(v4WithoutChad.Build(), kFormatRgb8, labBytes, kFormatLab8, &status);
  ASSERT_TRUE(fromV2 && fromV4 && asStored);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(fromV4->stageScale[i], fromV2->stageScale[i], 16) << i;
  EXPECT_GT(std::abs(asStored->stageScale[2] - fromV2->stageScale[2]), 10000);  // the white point enters it
}

// ---- Text -------------------------------------------------------------------

Bytes DescTag(const std::string& ascii) {
  Bytes b = TagHead(kIccTypeDescription);
  PutU32(b, uint32_t(ascii.size() + 1));
  b.insert(b.end(), ascii.begin(), ascii.end());
  b.push_back(0);
  b.resize(b.size() + 12 + 67, 0);  // empty Unicode and ScriptCode parts
  return b;
}

Bytes MlucTag(const std::vector<std::pair<std::string, std::u16string>>& records) {
  Bytes b = TagHead(kIccTypeMultiLocalizedText);
  PutU32(b, uint32_t(records.size())), PutU32(b, 12);
  size_t offset = 16 + 12 * records.size();
  for (const auto& [locale, text] : records) {
    b.insert(b.end(), locale.begin(), locale.end());
    PutU32(b, uint32_t(2 * text.size())), PutU32(b, uint32_t(offset));
    offset += 2 * text.size();
  }
  for (const auto& record : records)
    for (char16_t unit : record.second) PutU16(b, unit);
  return b;
}

TEST(IccReadText, DescriptionsOfBothVersions) {
  Bytes text = TagHead(kIccTypeText);
  for (char ch : std::string("Copyright \xA9 2020\nnobody")) text.push_back(uint8_t(ch));
  text.push_back(0);
  Bytes outside = MlucTag({{"enUS", u"abc"}});
  SetU32(outside, 24, 0x1000);
  const std::tuple<const char*, Bytes, int32_t, std::string> cases[] = {  // tag, buffer size, text
      {"desc", DescTag("sRGB IEC61966-2.1"), 64, "sRGB IEC61966-2.1"},
      {"text: Latin-1 and a line break", text, 64, "Copyright \xC2\xA9 2020 nobody"},
      {"mluc: English of the US first", MlucTag({{"deDE", u"Farbraum"}, {"enGB", u"colour"}, {"enUS", u"color"}}), 64,
       "color"},
      {"mluc: else English", MlucTag({{"deDE", u"Farbraum"}, {"enGB", u"colour"}}), 64, "colour"},
      {"mluc: else the first", MlucTag({{"deDE", u"Gr\u00FCn"}, {"frFR", u"vert"}}), 64, "Gr\xC3\xBCn"},
      {"mluc: a surrogate pair", MlucTag({{"enUS", u"A\U0001F600"}}), 64, "A\xF0\x9F\x98\x80"},
      {"mluc: never cut within a character", MlucTag({{"enUS", u"ab\u00FC"}}), 4, "ab"},
      {"desc: cut to the buffer", DescTag("Display"), 4, "Dis"},
      {"mluc: no records", MlucTag({}), 8, ""},
  };
  for (const auto& [what, tag, size, expected] : cases) {
    char buffer[64];
    const int32_t length = IccReadText(ProfileWith(kIccTagDescription, tag).get(), kIccTagDescription, buffer, size);
    EXPECT_EQ(std::string(buffer), expected) << what;
    EXPECT_EQ(length, int32_t(expected.size())) << what;
  }
  for (const Bytes& tag : {outside, XyzTag(1, 2, 3), Bytes(TagHead(kIccTypeDescription))}) {
    char buffer[8] = "x";
    EXPECT_EQ(IccReadText(ProfileWith(kIccTagDescription, tag).get(), kIccTagDescription, buffer, 8), -1);
    EXPECT_EQ(buffer[0], '\0');
  }
}

}  // namespace
}  // namespace qclr
