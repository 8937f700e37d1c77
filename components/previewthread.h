#pragma once
// The open dialog's preview loader: one worker thread per dialog that reads a picture's file
// information, loads it, fits it to the preview box and reduces it to the display's colours.

#include "imaging/fileformats.h"
#include "imaging/memorybudget.h"
#include "imaging/pgtypes.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class TPixelGraphic;

// One preview to make. Everything the worker needs is in here, taken on the user-interface
// thread: the worker reads no setting of the dialog.
struct PreviewRequest {
    std::uint64_t Generation = 0;
    QString FileName;
    const FormatRegistry* Registry = nullptr; // the library's when not given
    int BoxWidth = 0;  // inside of the preview box
    int BoxHeight = 0;
    TStretchMode StretchMode = smPrecise;
    TPaletteIdent Palette8BitSys24BitGraphic = pOptimized252Sys16;
    TPaletteIdent Palette8BitSys8BitGraphic = pOptimized252Sys16;
    int DisplayBits = 24;
};

// What ReadStreamFileInfo gave for the file; not Valid when no reader took it.
struct PreviewFileInfo {
    bool Valid = false;
    QString Description;
    GraphicFileInfo Info;
};

using PreviewGraphicPtr = std::shared_ptr<TPixelGraphic>;

// Progress of a load is told only on a new percent, and then only when a new tenth of a
// second has begun or the percent has reached a new sixteenth.
class PreviewProgressThrottle {
public:
    explicit PreviewProgressThrottle(std::int64_t StartTick) : lastTick_(StartTick) {}
    // The percent to post for Done of Total at the tick (milliseconds), or nothing.
    std::optional<int> Report(std::int64_t Done, std::int64_t Total, std::int64_t Tick);

private:
    int lastPercent_ = 0;
    int lastPercentSixteenth_ = 0;
    std::int64_t lastTick_;
};

// The picture made ready for a 1 to 8 bit display: below 8 bits the 16 system colours; at 8
// bits 252 colours of its own and the 16 system colours, or the palette the properties name.
// Nothing to do above 8 bits (null). The new graphic takes the picture's progress event.
std::unique_ptr<TPixelGraphic> ReduceToDisplay(TPixelGraphic& Picture, int DisplayBits,
                                               TPaletteIdent Palette8BitSys24BitGraphic,
                                               TPaletteIdent Palette8BitSys8BitGraphic);

// The worker. Its results arrive as queued signals in the thread the object belongs to (the
// dialog's); each carries the generation of its request, and work of an older generation
// than the latest is dropped by the worker at the next progress row and never posted.
class TCreateOpenSaveDialogPaintPGThread : public QObject {
    Q_OBJECT
public:
    explicit TCreateOpenSaveDialogPaintPGThread(QObject* parent = nullptr);
    ~TCreateOpenSaveDialogPaintPGThread() override; // Terminate

    // Replaces any request not yet started; a running one stops at its next progress row.
    // The thread starts with the first request.
    void Load(PreviewRequest Request);
    // Drops every request older than Generation, running or waiting.
    void Supersede(std::uint64_t Generation);
    // Stops the work and waits for the thread to end; no request is taken after it.
    void Terminate();

    // Milliseconds of a steady clock; tests give their own, before the first Load.
    void SetTickCount(std::function<std::int64_t()> TickCount);

signals:
    void InfoRead(std::uint64_t Generation, const PreviewFileInfo& Info);
    // Step counts the work from 1 (load, fit, reduce); Percent 0 to 100.
    void Progress(std::uint64_t Generation, int Step, int Percent);
    // The preview, or null when the file could not be loaded or gives nothing to show.
    void Finished(std::uint64_t Generation, const PreviewGraphicPtr& Graphic);

private:
    void run();
    void work(const PreviewRequest& Request);
    // The picture fitted into the box and turned upright by the file's orientation.
    PreviewGraphicPtr makePreview(QIODevice& File, const FormatRegistry& Registry, const PreviewRequest& Request,
                                  int Orientation);
    bool stale(std::uint64_t Generation) const;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<PreviewRequest> pending_;
    std::atomic<std::uint64_t> current_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::function<std::int64_t()> tickCount_;
    MemoryBudget budget_; // the preview is a pool of its own
};

Q_DECLARE_METATYPE(PreviewFileInfo)
Q_DECLARE_METATYPE(PreviewGraphicPtr)
