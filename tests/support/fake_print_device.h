// A print device that records its job, with the fake platform's font metrics.
#pragma once

#include <deque>
#include <string>

#include "fake_platform.h"

namespace vistrel::testing {

/// What a fake device was asked to do; it outlives the device, which the print command owns.
struct PrintedJob {
  std::string documentName;
  std::deque<RecordingCanvas> pages;
  int pagesEnded = 0;
  bool ended = false;
  bool aborted = false;
  bool refuseStart = false;
  bool failAtEnd = false;
  std::string failure;  ///< what the device tells of its failure at the end
};

class FakePrintDevice : public PrintDevice {
 public:
  FakePrintDevice(PrintedJob& job, int dpi, int width, int height)
      : job_(job), dpi_(dpi), width_(width), height_(height) {}

  int dpiX() override { return dpi_; }
  int dpiY() override { return dpi_; }
  int pageWidth() override { return width_; }
  int pageHeight() override { return height_; }
  FontMetrics measureFont(const FontSpec& font) override { return FakePlatform::metricsOf(font); }
  bool startDocument(const std::string& name) override {
    job_.documentName = name;
    return !job_.refuseStart;
  }
  Canvas& startPage() override { return job_.pages.emplace_back(); }
  void endPage() override { ++job_.pagesEnded; }
  bool endDocument() override {
    job_.ended = true;
    return !job_.failAtEnd;
  }
  std::string failure() const override { return job_.failure; }
  void abortDocument() override { job_.aborted = true; }

 private:
  PrintedJob& job_;
  int dpi_;
  int width_;
  int height_;
};

}  // namespace vistrel::testing
