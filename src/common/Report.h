#pragma once

#include <QString>

#include <functional>

// Where a routine that cannot show a window sends its error texts (the driver's OnErrorMessage,
// a test's collector). An empty function drops them.
using TReportFn = std::function<void(const QString& text)>;
