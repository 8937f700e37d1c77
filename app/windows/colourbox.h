#pragma once

#include "app/settings/colourchoice.h"

#include <QComboBox>

// An owner-drawn colour box: entry 0 "Default Page Colour", entries 1..13 the colour list
// drawn as swatches, entry 14 "Other..". A picked colour shows as its swatch with no entry
// selected.
class ColourBox : public QComboBox {
    Q_OBJECT
public:
    explicit ColourBox(QWidget* parent = nullptr);

    // Shows a choice without reporting it as the user's.
    void showChoice(const ColourChoice& choice);
    const ColourChoice& shownChoice() const { return shown_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ColourChoice shown_;
};
