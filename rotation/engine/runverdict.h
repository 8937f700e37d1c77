#pragma once

// What a scheduler learns from an unattended run through the exit code: 0 only when every
// settings file could be read, every site that was due rotated completely, with its position
// stored, and the log was saved and mailed as the options ask; otherwise 1.
struct RunVerdict {
    int failedSites = 0;
    bool logSaveFailed = false;
    bool mailFailed = false;
    int unreadableFiles = 0;  // the site list or the options, which were there but not readable

    int exitCode() const { return failedSites == 0 && !logSaveFailed && !mailFailed && unreadableFiles == 0 ? 0 : 1; }
};
