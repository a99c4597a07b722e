// OpenCV's colour conversions (cv::cvtColor on 8-bit images), one thread.
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <string>

#include "bench_frames.h"

namespace {

struct Peer {
  const char* conversion;  // the qclr conversion doing the same job
  int code;
  const char* codeName;
  int srcType;
  double srcRowsPerRow;  // I420 stacks its planes as 1.5 rows a row
  int dstType;
};

const Peer kPeers[] = {
    {"RGB->LAB", cv::COLOR_RGB2Lab, "COLOR_RGB2Lab", CV_8UC3, 1, CV_8UC3},
    {"LAB->RGB", cv::COLOR_Lab2RGB, "COLOR_Lab2RGB", CV_8UC3, 1, CV_8UC3},
    {"RGB->XYZ", cv::COLOR_RGB2XYZ, "COLOR_RGB2XYZ", CV_8UC3, 1, CV_8UC3},
    {"XYZ->RGB", cv::COLOR_XYZ2RGB, "COLOR_XYZ2RGB", CV_8UC3, 1, CV_8UC3},
    {"RGB->YCC", cv::COLOR_RGB2YCrCb, "COLOR_RGB2YCrCb", CV_8UC3, 1, CV_8UC3},
    {"YCC->RGB", cv::COLOR_YCrCb2RGB, "COLOR_YCrCb2RGB", CV_8UC3, 1, CV_8UC3},
    {"RGB->YUV", cv::COLOR_RGB2YUV, "COLOR_RGB2YUV", CV_8UC3, 1, CV_8UC3},
    {"YUV->RGB", cv::COLOR_YUV2RGB, "COLOR_YUV2RGB", CV_8UC3, 1, CV_8UC3},
    {"RGB->HSV", cv::COLOR_RGB2HSV, "COLOR_RGB2HSV", CV_8UC3, 1, CV_8UC3},
    {"HSV->RGB", cv::COLOR_HSV2RGB, "COLOR_HSV2RGB", CV_8UC3, 1, CV_8UC3},
    {"RGB->HLS", cv::COLOR_RGB2HLS, "COLOR_RGB2HLS", CV_8UC3, 1, CV_8UC3},
    {"HLS->RGB", cv::COLOR_HLS2RGB, "COLOR_HLS2RGB", CV_8UC3, 1, CV_8UC3},
    {"RGB->BGR", cv::COLOR_RGB2BGR, "COLOR_RGB2BGR", CV_8UC3, 1, CV_8UC3},
    {"YUY2->RGB", cv::COLOR_YUV2RGB_YUY2, "COLOR_YUV2RGB_YUY2", CV_8UC2, 1, CV_8UC3},
    {"UYVY->RGB", cv::COLOR_YUV2RGB_UYVY, "COLOR_YUV2RGB_UYVY", CV_8UC2, 1, CV_8UC3},
    {"I420->RGB", cv::COLOR_YUV2RGB_I420, "COLOR_YUV2RGB_I420", CV_8UC1, 1.5, CV_8UC3},
};

const int kRegistered = [] {
  cv::setNumThreads(1);  // one thread, like every other benchmark here
  for (const Peer& p : kPeers) {
    const double srcBytes = CV_ELEM_SIZE(p.srcType) * p.srcRowsPerRow;
    bench::Register({std::string("peer/opencv/") + p.conversion, srcBytes, CV_ELEM_SIZE(p.dstType),
                     bench::Always([p](const uint8_t* src, uint8_t* dst, bench::FrameSize size) {
                       const int srcRows = static_cast<int>(size.height * p.srcRowsPerRow);
                       const cv::Mat in(srcRows, size.width, p.srcType, const_cast<uint8_t*>(src));
                       cv::Mat out(size.height, size.width, p.dstType, dst);
                       cv::cvtColor(in, out, p.code);
                       return out.data == dst;  // converted in place, not reallocated
                     }),
                     std::string("cv::cvtColor ") + p.codeName});
  }
  return 0;
}();

}  // namespace
