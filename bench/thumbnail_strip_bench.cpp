// The thumbnail strip on a folder of photos: every JPEG file in FOLDER is selected,
// and for each run the program reports how long the rebuild (ShowThumbnails) takes
// and how long it then takes until the whole strip has been drawn once with every
// thumbnail's pixels (the strip's content widget is grabbed, which paints all of
// them, and grabbed again once every picture has its pixels). At the end: the
// process's peak resident memory and the files' total size.
// Usage: thumbnail_strip_bench FOLDER [RUNS]   (runs offscreen unless told otherwise)

#include "app/main.h"
#include "app/startup.h"
#include "platform/application.h"
#include "platform/directory_list_box.h"
#include "platform/file_list_box.h"
#include "platform/image_control.h"
#include "platform/message.h"
#include "ui_main.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

bool everyPictureHasItsPixels()
{
    for (int i = 0; i < frmMain->thumbCount(); ++i) {
        const platform::Picture& picture = *frmMain->thumb(i)->picture();
        if (picture.displayScale() == 0 && !picture.decodeFailed())
            return false;
    }
    return true;
}

// Thumbnails whose middle pixel differs from the strip's empty background.
int drawnThumbnails(const QImage& strip)
{
    const QRgb empty = strip.pixel(2, 2);
    int drawn = 0;
    for (int i = 0; i < frmMain->thumbCount(); ++i) {
        const QPoint middle = frmMain->thumb(i)->geometry().center();
        if (strip.pixel(middle) != empty)
            ++drawn;
    }
    return drawn;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [RUNS]\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::Application application(argc, argv);
    application.setTitle(QStringLiteral("Orvane"));
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    int messages = 0;
    platform::setMessageSink([&messages](const QString&) { ++messages; });
    createWindows();
    frmMain->resize(800, 600);
    frmMain->show();
    frmMain->ui()->trvDir->setDirectory(folder);
    platform::FileListBox* list = frmMain->ui()->lstFile;
    QWidget* strip = frmMain->ui()->scbGrhContents;

    qint64 bytes = 0;
    for (int i = 0; i < list->itemCount(); ++i)
        bytes += QFileInfo(folder + QStringLiteral("/") + list->itemText(i)).size();

    std::vector<double> rebuilds, paints, totals;
    int thumbnails = 0, drawn = 0;
    for (int run = 0; run < runs; ++run) {
        list->clearSelection();
        frmMain->lstFileClick();
        QCoreApplication::processEvents();

        list->selectAll();
        QElapsedTimer clock;
        clock.start();
        frmMain->lstFileClick();
        const double rebuild = double(clock.nsecsElapsed()) / 1e6;

        clock.restart();
        strip->grab(); // paints every thumbnail, which asks for its pixels
        while (!everyPictureHasItsPixels())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        const QImage shown = strip->grab().toImage();
        const double paint = double(clock.nsecsElapsed()) / 1e6;

        thumbnails = frmMain->thumbCount();
        drawn = drawnThumbnails(shown);
        rebuilds.push_back(rebuild);
        paints.push_back(paint);
        totals.push_back(rebuild + paint);
        std::printf("run %d: rebuild %.1f ms, full paint %.1f ms, together %.1f ms\n", run + 1, rebuild, paint,
                    rebuild + paint);
    }

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("thumbnails %d, drawn %d, limit messages %d\n", thumbnails, drawn, messages);
    std::printf("median: rebuild %.1f ms, full paint %.1f ms, together %.1f ms\n", median(rebuilds),
                median(paints), median(totals));
    std::printf("files %lld bytes, peak resident %ld KB\n", static_cast<long long>(bytes), usage.ru_maxrss);
    std::fflush(stdout);

    destroyWindows();
    return drawn == thumbnails ? 0 : 1;
}
