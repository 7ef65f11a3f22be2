#pragma once
// The engine's message and progress windows on the screen: a small window without buttons that
// stays up, not modal, while a long table operation runs.

class QWidget;

namespace qorva {

// Installs the window as the engine's message view (see InstallXbMsgView), and a progress dialog
// with a count as its progress view (InstallXbProgressView: index builds).
void InstallQtXbMsgView();
// The progress dialog while one is up (nullptr otherwise).
QWidget* XbProgressDialog();
// The window the engine shows its messages in (nullptr until the first message).
QWidget* XbMsgWindow();

}  // namespace qorva
