#pragma once

// A QtTest main for suites that need the application object (and so the error
// policy and the title) rather than a bare QApplication.

#include "platform/application.h"

#include <QTest>

#define ORVANE_APPLICATION_TEST_MAIN(TestClass)                                                                       \
    int main(int argc, char** argv)                                                                                  \
    {                                                                                                                \
        platform::Application app(argc, argv);                                                                       \
        app.setTitle(QStringLiteral("Orvane"));                                                                      \
        TestClass test;                                                                                              \
        return QTest::qExec(&test, argc, argv);                                                                      \
    }
