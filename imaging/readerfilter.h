#pragma once
// The open dialog's file-type filter over the enabled readers of a registry: one entry for all
// image files, one per reader, one for all files. Entries are "description|patterns|", the
// patterns separated by "; ".

#include "fileformats.h"

#include <QString>

#include <span>

// "Image files|*.bmp; *.jpg|BMP - Bitmap|*.bmp|JPG - ...|*.jpg|All files|*.*", the readers in
// extension order (of two with one extension the one registered first comes first). Without
// an enabled reader only the last entry is left.
QString BuildDefaultFilter(const FormatRegistry& Registry = FileFormatRegistry());

// The number of enabled readers.
int GetEnabledReaderCount(const FormatRegistry& Registry = FileFormatRegistry());

// The lower-case extension that filter entry FilterIndex (from 1, as the dialog counts) stands
// for: "" for entry 1 (all image files) and past the readers, else the reader of entry
// FilterIndex - 1.
QString GetEnabledReaderExtension(int FilterIndex, const FormatRegistry& Registry = FileFormatRegistry());

// The registry's readers, in list order.
std::span<const TFileFormatReader* const> GetFileFormatReaders(const FormatRegistry& Registry = FileFormatRegistry());
