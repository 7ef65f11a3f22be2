#pragma once
// Size of the screen the program runs on, in pixels. The window installs the real metrics;
// headless runs and tests use fixed ones.

#include <memory>

namespace qorva {

class ScreenMetrics {
 public:
  virtual ~ScreenMetrics() = default;
  virtual int width() const = 0;
  virtual int height() const = 0;
  virtual int dotsPerInch() const { return 96; }
};

class FixedScreenMetrics : public ScreenMetrics {
 public:
  FixedScreenMetrics(int w, int h, int dpi = 96) : w_(w), h_(h), dpi_(dpi) {}
  int width() const override { return w_; }
  int height() const override { return h_; }
  int dotsPerInch() const override { return dpi_; }

 private:
  int w_, h_, dpi_;
};

const ScreenMetrics& screenMetrics();  // 1024 x 768 until something else is installed
std::unique_ptr<ScreenMetrics> installScreenMetrics(std::unique_ptr<ScreenMetrics> m);

}  // namespace qorva
