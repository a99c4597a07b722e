// FFmpeg's swscale converting pixel formats at the same size (no scaling), one
// thread, nearest-sample chroma (SWS_POINT).
extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

#include "bench_frames.h"

namespace {

using bench::FrameSize;

struct Peer {
  const char* conversion;  // the qclr conversion doing the same job
  AVPixelFormat from;
  AVPixelFormat to;
};

const Peer kPeers[] = {
    {"RGB->YUY2", AV_PIX_FMT_RGB24, AV_PIX_FMT_YUYV422},  {"YUY2->RGB", AV_PIX_FMT_YUYV422, AV_PIX_FMT_RGB24},
    {"RGB->UYVY", AV_PIX_FMT_RGB24, AV_PIX_FMT_UYVY422},  {"UYVY->RGB", AV_PIX_FMT_UYVY422, AV_PIX_FMT_RGB24},
    {"RGB->YUV", AV_PIX_FMT_RGB24, AV_PIX_FMT_YUV444P},   {"YUV->RGB", AV_PIX_FMT_YUV444P, AV_PIX_FMT_RGB24},
    {"RGB->YVU9", AV_PIX_FMT_RGB24, AV_PIX_FMT_YUV410P},  {"YVU9->RGB", AV_PIX_FMT_YUV410P, AV_PIX_FMT_RGB24},
    {"RGB->Y41P", AV_PIX_FMT_RGB24, AV_PIX_FMT_YUV411P},  {"Y41P->RGB", AV_PIX_FMT_YUV411P, AV_PIX_FMT_RGB24},
    {"RGB->BGR", AV_PIX_FMT_RGB24, AV_PIX_FMT_BGR24},     {"I420->RGB", AV_PIX_FMT_YUV420P, AV_PIX_FMT_RGB24},
};

double BytesPerPixel(AVPixelFormat format) {
  return av_image_get_buffer_size(format, 16, 16, 1) / 256.0;
}

SwsContext* MakeContext(const Peer& p, FrameSize s) {
  SwsContext* ctx = sws_alloc_context();
  if (ctx == nullptr) return nullptr;
  av_opt_set_int(ctx, "srcw", s.width, 0);
  av_opt_set_int(ctx, "srch", s.height, 0);
  av_opt_set_int(ctx, "src_format", p.from, 0);
  av_opt_set_int(ctx, "dstw", s.width, 0);
  av_opt_set_int(ctx, "dsth", s.height, 0);
  av_opt_set_int(ctx, "dst_format", p.to, 0);
  av_opt_set_int(ctx, "sws_flags", SWS_POINT, 0);
  av_opt_set_int(ctx, "threads", 1, 0);
  if (sws_init_context(ctx, nullptr, nullptr) < 0) {
    sws_freeContext(ctx);
    return nullptr;
  }
  return ctx;
}

bench::Prepare Prepare(const Peer& p) {
  return [p](FrameSize size) -> bench::ConvertFrame {
    std::shared_ptr<SwsContext> ctx(MakeContext(p, size), sws_freeContext);
    if (!ctx) return {};
    return [p, ctx](const uint8_t* src, uint8_t* dst, FrameSize s) {
      uint8_t* in[4];
      uint8_t* out[4];
      int inStride[4], outStride[4];
      av_image_fill_arrays(in, inStride, src, p.from, s.width, s.height, 1);
      av_image_fill_arrays(out, outStride, dst, p.to, s.width, s.height, 1);
      return sws_scale(ctx.get(), in, inStride, 0, s.height, out, outStride) == s.height;
    };
  };
}

const int kRegistered = [] {
  for (const Peer& p : kPeers) {
    bench::Register({std::string("peer/swscale/") + p.conversion, BytesPerPixel(p.from), BytesPerPixel(p.to),
                     Prepare(p),
                     std::string("sws_scale ") + av_get_pix_fmt_name(p.from) + " to " + av_get_pix_fmt_name(p.to)});
  }
  return 0;
}();

}  // namespace
