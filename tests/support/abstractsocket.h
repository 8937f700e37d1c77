#pragma once

#include <QByteArray>

// Whether a process holds this abstract local socket name (it starts with a zero byte): it
// cannot be bound again.
bool abstractNameTaken(const QByteArray& name);
