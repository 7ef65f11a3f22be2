#pragma once
// The program's main window, built on the graphics window.

#include "graphics/ui/kwengrafform.h"

namespace qorva {

class Thh : public TFKWENGRA {
  Q_OBJECT
 public:
  explicit Thh(QWidget* parent = nullptr);
  ~Thh() override;
};

}  // namespace qorva
