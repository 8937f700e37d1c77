#pragma once

#include "platform/modaldialog.h"
#include "platform/services.h"

class QLabel;
class QPushButton;

// The about box: product, version, and two links to the maker.
class TAboutBox : public platform::ModalDialog {
    Q_OBJECT
public:
    explicit TAboutBox(const platform::Services& services, QWidget* parent = nullptr);

    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* LBLVERSION;
    QLabel* lblMail;
    QLabel* lblWeb;
    QPushButton* OKbtn;

private:
    const platform::Services& services_;
};

inline constexpr QLatin1StringView turnfoldVersion{"1.1"};
inline constexpr QLatin1StringView makerMail{"mailto:turnfold@pictorum.example"};
inline constexpr QLatin1StringView makerWeb{"https://pictorum.example/"};
