#include "hostedcontrol.h"

#include "testsupport.h"

#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

WebEngineBrowserControl *showInHost(QWidget &host, std::shared_ptr<UserQuestions> questions)
{
    auto *control = new WebEngineBrowserControl(&host, std::move(questions));
    auto *layout = new QVBoxLayout(&host);
    layout->addWidget(control->widget());
    host.resize(800, 600);
    host.show();
    return control;
}

bool loadAndWait(WebBrowserControl &control, const QString &url)
{
    QSignalSpy done(&control, &WebBrowserControl::DownloadComplete);
    control.Navigate(url);
    return waitFor(done);
}

bool inputUntil(WebBrowserControl &control,
                const std::function<void(QWidget *surface, int attempt)> &input,
                const std::function<bool()> &done)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (done())
            return true;
        QWidget *surface = control.widget()->focusProxy();
        if (!surface)
            return false;
        input(surface, attempt);
        if (QTest::qWaitFor(done, 100))
            return true;
    }
    return false;
}
