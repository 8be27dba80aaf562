// Drives the installed program from inside, as a user would, without changing it: Qt
// loads this plugin into the program when QT_QPA_GENERIC_PLUGINS names it
// ("talviradriver:RESULTS.csv"). Once the main window is up it types a main keyword,
// clicks Gather Keywords, Gather Data (precise) and Save Results into RESULTS.csv,
// answering each dialog, then ends the program: 0 when every step went as a user
// expects, 3 (with the reason on stderr) when a dialog it did not ask for opened, the save
// dialog did not start in the home folder, or the run's page file is not where and as
// it should be.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QGenericPlugin>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

// How often open dialogs are looked for; a dialog is answered at most this long after
// it opened.
constexpr int PollMilliseconds = 50;

class Driver : public QObject {
public:
    explicit Driver(QString resultsFile) : FResultsFile(std::move(resultsFile))
    {
        connect(&FPoll, &QTimer::timeout, this, [this] { Poll(); });
        FPoll.start(PollMilliseconds);
    }

private:
    void Poll()
    {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            if (dialog != FAnswered)
                Answer(dialog);
            return;
        }
        if (!FStarted && MainWindow() && MainWindow()->isVisible()) {
            FStarted = true;
            // The window's own start-up work (its settings) is queued before this.
            QTimer::singleShot(0, this, [this] { Run(); });
        }
    }

    static QWidget* MainWindow()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == "frmMain")
                return widget;
        }
        return nullptr;
    }

    void Click(const char* button)
    {
        auto* control = MainWindow()->findChild<QPushButton*>(button);
        if (!control) {
            Fail(QString("no button ") + button);
            return;
        }
        std::fprintf(stderr, "driver: %s\n", button);
        control->click();
    }

    void Run()
    {
        Click("btnMainKeyword");
        Click("btnGatherKeyword");
        Click("btnGatherData");
        Click("btnSaveResults");
        CheckPageFile();
        QCoreApplication::exit(FFailed ? 3 : 0);
    }

    // The run's page file lies in the runtime folder, for the user alone.
    void CheckPageFile()
    {
        const QFileInfoList files =
            QDir(qEnvironmentVariable("XDG_RUNTIME_DIR")).entryInfoList({"talvira-page-*.html"}, QDir::Files);
        if (files.size() != 1)
            Fail(QString("%1 page files in the runtime folder").arg(files.size()));
        else if (files[0].permissions() != (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser))
            Fail("the page file may be read by others");
    }

    void Answer(QWidget* dialog)
    {
        FAnswered = dialog;
        const QString name = dialog->objectName();
        if (name == "frmMainKeyword") {
            dialog->findChild<QLineEdit*>("edtMainKeyword")->setText("golf clubs");
            dialog->findChild<QPushButton*>("btnOk")->click();
        } else if (name == "frmSelSearch") {
            dialog->findChild<QPushButton*>("btnOk")->click();
        } else if (auto* chooser = qobject_cast<QFileDialog*>(dialog)) {
            if (chooser->directory() != QDir::home())
                Fail("the save dialog opened in " + chooser->directory().path() + ", not the home folder");
            chooser->findChild<QLineEdit*>("fileNameEdit")->setText(FResultsFile);
            static_cast<QDialog*>(chooser)->accept(); // QFileDialog's own accept, through the public one
        } else {
            QStringList texts;
            for (auto* label : dialog->findChildren<QWidget*>()) {
                const QString text = label->property("text").toString();
                if (!text.isEmpty())
                    texts << text;
            }
            Fail("unexpected dialog " + name + " \"" + dialog->windowTitle() + "\": " + texts.join(" | "));
            if (auto* asked = qobject_cast<QDialog*>(dialog))
                asked->reject();
        }
    }

    void Fail(const QString& reason)
    {
        std::fprintf(stderr, "driver: %s\n", qPrintable(reason));
        FFailed = true;
    }

    QString FResultsFile;
    QTimer FPoll;
    QPointer<QWidget> FAnswered; // null again once that dialog is gone
    bool FStarted = false;
    bool FFailed = false;
};

} // namespace

class DriverPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "driver.json")
public:
    QObject* create(const QString& key, const QString& parameters) override
    {
        return key == "talviradriver" ? new Driver(parameters) : nullptr;
    }
};

#include "driver_plugin.moc"
