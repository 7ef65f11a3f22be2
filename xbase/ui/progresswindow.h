#pragma once
// The engine's message and progress windows on the screen: a small window without buttons that
// stays up, not modal, while a long table operation runs.

#include "platform/services.h"

class QWidget;

namespace qorva {

// Makes the window the engine's message window (the services MessageWindowShow and MessageWindowHide)
// and a progress dialog with a count its progress window (ProgressOpen, ProgressStep, ProgressClose:
// index builds).
void InstallQtXbMsgView(Services& s);
// The progress dialog while one is up (nullptr otherwise).
QWidget* XbProgressDialog();
// The window the engine shows its messages in (nullptr until the first message).
QWidget* XbMsgWindow();

}  // namespace qorva
