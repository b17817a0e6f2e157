#include "hostedcontrol.h"

#include "testsupport.h"

#include <QSignalSpy>
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
