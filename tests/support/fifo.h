#pragma once
// FIFOs for tests that prove a reader never waits on one.

#include <QString>

#include <chrono>
#include <functional>

// Makes a FIFO with no writer at Path: a plain open of it for reading would wait for ever.
// Gives the path (empty when it cannot be made).
QString MakeFifo(const QString& Path);

// Runs Read on a thread and tells whether it came back within Limit. When it did not, the FIFO
// is given a writer for a moment, again and again, until the reader is through, so that a
// blocking reader fails the test instead of hanging it.
bool ReturnsWithoutWaitingOn(const QString& Fifo, const std::function<void()>& Read,
                             std::chrono::milliseconds Limit = std::chrono::seconds(3));
