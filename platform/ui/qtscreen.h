#pragma once
// Screen metrics of the running Qt application (primary screen).

#include "platform/screen.h"

namespace qorva {

class QtScreenMetrics : public ScreenMetrics {
 public:
  int width() const override;
  int height() const override;
  int dotsPerInch() const override;
};

}  // namespace qorva
