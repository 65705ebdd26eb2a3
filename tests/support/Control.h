#pragma once
// Finds a window's controls the way its form names them.
#include <QObject>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

namespace filmarch::test {

// A control of `window` found by its object name (a test failure when none is).
template <typename T = QWidget>
T* control(const QObject* window, const char* name)
{
    T* found = window ? window->findChild<T*>(QString::fromUtf8(name)) : nullptr;
    EXPECT_TRUE(found) << name;
    return found;
}

} // namespace filmarch::test
