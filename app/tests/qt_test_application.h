#pragma once

class QApplication;

namespace ovi::test {

// The QApplication shared by every test of the executable; created before the first test runs.
QApplication &qtApplication();

} // namespace ovi::test
