#pragma once

#include "platform/modaldialog.h"
#include "platform/services.h"

class QLabel;
class QPushButton;

// About Pictorum Pro.
class TAboutBox : public platform::ModalDialog {
    Q_OBJECT
public:
    TAboutBox(platform::Services& services, QWidget* parent = nullptr);

    QLabel* ProductName;
    QLabel* Version;
    QLabel* lblmail;
    QLabel* lblweb;
    QPushButton* OKButton;

    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;

private:
    platform::Services& services_;
};

inline constexpr const char* ProgramVersion = "1.1";
