#pragma once

#include "platform/modaldialog.h"
#include "platform/services.h"

class QLabel;
class QPushButton;

// The about box of either program: its icon, name and version, and two links to the maker.
class TAboutBox : public platform::ModalDialog {
    Q_OBJECT
public:
    TAboutBox(const platform::Services& services, QString productName, QWidget* parent = nullptr);

    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* LBLVERSION;
    QLabel* lblMail;
    QLabel* lblWeb;
    QPushButton* OKbtn;

    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;

private:
    const platform::Services& services_;
    QString productName_;
};

inline constexpr QLatin1StringView ProgramVersion{"1.1"};
inline constexpr QLatin1StringView MakerMail{"mailto:support@pictorum.example"};
inline constexpr QLatin1StringView MakerWeb{"https://pictorum.example/"};
