#pragma once
// The file-open dialog for pictures: the file dialog with a panel on its right that shows a
// preview of the selected file, made by a worker thread, and a few lines about it.

#include "openfilter.h"
#include "previewthread.h"

#include "imaging/fileformats.h"
#include "imaging/pgtypes.h"
#include "platform/modaldialog.h"
#include "platform/prompts.h"
#include "platform/services.h"

#include <QColor>
#include <QFlags>
#include <QItemSelectionModel>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <span>

class QFileDialog;
class QPainter;
class QTimer;
class TPixelGraphic;

// How the dialog behaves. Only multiple selection and the existence of the file change
// anything here; the others are kept as they are set.
enum TOpenOption {
    ofHideReadOnly = 0x01,
    ofAllowMultiSelect = 0x02,
    ofPathMustExist = 0x04,
    ofFileMustExist = 0x08,
    ofShareAware = 0x10,
};
Q_DECLARE_FLAGS(TOpenOptions, TOpenOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TOpenOptions)

class TPGOpenDialog : public platform::ModalDialog {
    Q_OBJECT
public:
    explicit TPGOpenDialog(const platform::Services& Services, QWidget* parent = nullptr);
    ~TPGOpenDialog() override;

    // Shows the dialog through the services' dialog runner; true when a file was chosen. With
    // UseDefaultFilter on, the filter is built from the readers first.
    bool Execute();

    // ---- the dialog's choice ----
    const QString& FileName() const { return fileName_; } // the first file chosen; a start file
    void SetFileName(const QString& Value) { fileName_ = Value; }
    const QStringList& Files() const { return files_; }
    const QString& Filter() const { return filter_; }      // "Description|*.a; *.b|..."
    void SetFilter(const QString& Value) { filter_ = Value; }
    int FilterIndex() const { return filterIndex_; }       // from 1
    void SetFilterIndex(int Value) { filterIndex_ = Value; }
    const QString& InitialDir() const { return initialDir_; }
    void SetInitialDir(const QString& Value) { initialDir_ = Value; }
    const QString& Title() const { return title_; }         // empty: "Open"
    void SetTitle(const QString& Value) { title_ = Value; }
    TOpenOptions Options() const { return options_; }
    // A set without ofShareAware is told off and gets it.
    void SetOptions(TOpenOptions Value);

    // ---- the preview ----
    TStretchMode StretchMode() const { return stretchMode_; }
    void SetStretchMode(TStretchMode Value) { stretchMode_ = Value; }
    bool UseDefaultFilter() const { return useDefaultFilter_; }
    void SetUseDefaultFilter(bool Value) { useDefaultFilter_ = Value; }
    QColor ProgressClockBkColor() const { return clockBkColor_; }
    void SetProgressClockBkColor(QColor Value) { clockBkColor_ = Value; }
    QColor ProgressClockLineColor() const { return clockLineColor_; }
    void SetProgressClockLineColor(QColor Value) { clockLineColor_ = Value; }
    bool ProgressClockVisible() const { return clockVisible_; }
    void SetProgressClockVisible(bool Value) { clockVisible_ = Value; }
    TPaletteIdent Palette8BitSys24BitGraphic() const { return palette24_; }
    void SetPalette8BitSys24BitGraphic(TPaletteIdent Value) { palette24_ = Value; }
    TPaletteIdent Palette8BitSys8BitGraphic() const { return palette8_; }
    void SetPalette8BitSys8BitGraphic(TPaletteIdent Value) { palette8_ = Value; }
    bool ShowInfo() const { return showInfo_; }
    void SetShowInfo(bool Value) { showInfo_ = Value; }
    // Bits per pixel of the display the preview is made for.
    int DisplayBits() const { return displayBits_; }
    void SetDisplayBits(int Value) { displayBits_ = Value; }
    // The readers that make the filter and load the previews: the library's unless set.
    const FormatRegistry& Registry() const { return *registry_; }
    void SetRegistry(const FormatRegistry& Value) { registry_ = &Value; }

    // ---- the filter from the readers (empty and 0 with UseDefaultFilter off) ----
    virtual QString GetEnabledReaderExtension(int FilterIndex) const;
    virtual int GetEnabledReaderCount() const;
    virtual QString BuildDefaultFilter() const;
    virtual std::span<const TFileFormatReader* const> GetFileFormatReaders() const;

    // ---- what the panel shows ----
    bool InfoValid() const { return info_.Valid; }
    const PreviewFileInfo& Info() const { return info_; }
    const TPixelGraphic* PreviewGraphic() const { return previewGraphic_.get(); }
    // The progress clock's step and percent while a load runs.
    std::optional<std::pair<int, int>> ProgressClock() const { return clock_; }

    QFileDialog* FileDialog; // the standard controls
    QWidget* PreviewBox;
    QWidget* InfoBox;
    QTimer* PreviewTimer;    // 150 ms after the last change of selection

    void PreviewTimerTick();
    void LoadSelectedPreview();
    void PaintPreviewBox(QPainter& Painter);
    void PaintInfoBox(QPainter& Painter);

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SelectionChanged();
    void stopPreview();
    void applyNameFilter(const QString& NameFilter);
    void previewInfoRead(std::uint64_t Generation, const PreviewFileInfo& Info);
    void previewProgress(std::uint64_t Generation, int Step, int Percent);
    void previewFinished(std::uint64_t Generation, const PreviewGraphicPtr& Graphic);
    QRect previewInside() const;

    const platform::Services& services_;
    const FormatRegistry* registry_;

    QString fileName_;
    QStringList files_;
    QString filter_;
    int filterIndex_ = 1;
    QString initialDir_;
    QString title_;
    TOpenOptions options_ = TOpenOptions(ofHideReadOnly) | ofShareAware;

    TStretchMode stretchMode_ = smPrecise;
    bool useDefaultFilter_ = true;
    QColor clockBkColor_;
    QColor clockLineColor_;
    bool clockVisible_ = true;
    TPaletteIdent palette24_ = pOptimized252Sys16;
    TPaletteIdent palette8_ = pOptimized252Sys16;
    bool showInfo_ = true;
    int displayBits_ = 24;

    QList<OpenFilterEntry> filterEntries_;
    class NameMaskProxy* proxy_;
    QPointer<QItemSelectionModel> selectionModel_;
    bool running_ = false; // between Execute and the close
    std::optional<QStringList> shownSelection_; // what the last change of selection selected
    std::uint64_t generation_ = 0;
    PreviewFileInfo info_;
    PreviewGraphicPtr previewGraphic_;
    std::optional<std::pair<int, int>> clock_;
    std::unique_ptr<TCreateOpenSaveDialogPaintPGThread> PreviewThread;
};

// A new open dialog with preview for a choice: the caption as its title, the folder or file
// to start in, and the choice's filter text in place of the readers' filter when it has one.
// Named Name (as a form names its dialogs). The chosen file, or nothing when cancelled.
std::optional<QString> ChoosePicture(const platform::Services& Services, const QString& Name,
                                     const platform::FileChoice& Choice, QWidget* Parent);
