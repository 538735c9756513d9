#include "shellfixture.h"

#include "core/textfile.h"
#include "learner/wordfriend.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

ShellTest::ShellTest() {
    appDir_ = dir_.path() + QLatin1Char('/');
    clock_.Set(std::chrono::system_clock::from_time_t(1733600000)); // 2024-12-07
    static_cast<Application*>(QCoreApplication::instance())->SetMessages(&messages_);
}

ShellTest::~ShellTest() {
    shell_.reset();
    Settle();
    static_cast<Application*>(QCoreApplication::instance())->SetMessages(nullptr);
}

void ShellTest::WriteLines(const QString& relative, const std::vector<std::string>& lines) {
    const QString path = appDir_ + relative;
    QDir().mkpath(QFileInfo(path).path());
    ASSERT_TRUE(core::WriteTextLines(path.toStdString(), lines).ok) << path.toStdString();
}

std::vector<std::string> ShellTest::ReadLines(const QString& relative) {
    std::vector<std::string> lines;
    const core::Status s = core::ReadTextLines((appDir_ + relative).toStdString(), lines);
    EXPECT_TRUE(s.ok) << s.file;
    return lines;
}

QByteArray ShellTest::ReadBytes(const QString& relative) {
    QFile file(appDir_ + relative);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << relative.toStdString();
    return file.readAll();
}

bool ShellTest::Exists(const QString& relative) const {
    return QFileInfo::exists(appDir_ + relative);
}

void ShellTest::MakeLearner(const std::string& name, const std::vector<std::string>& newWords,
                            const std::vector<std::string>& mastered,
                            const std::vector<std::string>& review) {
    const QString n = QString::fromStdString(name);
    WriteLines(n + "/" + n + "1.bm", newWords);
    WriteLines(n + "/" + n + "2.bm", mastered);
    WriteLines(n + "/" + n + "3.bm", review);
}

void ShellTest::MakeBank(const std::string& name, const std::vector<std::string>& lines) {
    WriteLines("Worddata/" + QString::fromStdString(name) + ".dst", lines);
    catalogue_.push_back(name);
    WriteLines("Ebook.txt", catalogue_);
}

void ShellTest::MakePictures() {
    QImage knob(9, 9, QImage::Format_RGB32);
    knob.fill(Qt::yellow);
    ASSERT_TRUE(knob.save(appDir_ + "volumebit.bmp"));
    QImage frame(120, 38, QImage::Format_RGB32);
    frame.fill(Qt::darkCyan);
    ASSERT_TRUE(frame.save(appDir_ + "volumeframen.bmp"));
}

TWordmemory& ShellTest::Shell() {
    if (!shell_) {
        ShellServices services(state_, clock_, messages_);
        services.voice = &speech_;
        services.mediaPlayer = &player_;
        services.random = &random_;
        services.appDir = appDir_;
        services.learnerDir = learnerDir_;
        services.readVolume = [this] { return volume_; };
        services.writeVolume = [this](std::uint32_t v) { volume_ = v; };
        services.afterFirstFrame = [this] {
            ++afterFirstFrameRuns_;
            auto* signIn = qobject_cast<Twordfriend*>(QApplication::activeModalWidget());
            signInDrawnBeforeDeferred_ = signIn != nullptr && signIn->FirstFrameDrawn();
            columnBeforeDeferred_ =
                shell_->findChild<QPushButton*>(QStringLiteral("Btfollow")) != nullptr;
            return fontStatus_;
        };
        services.signIn.playVideo = false;
        services.startUpOnShow = false;
        // Started through the sign-in as the program is, the window is built behind it.
        services.buildBehindSignIn = startingThroughSignIn_;
        shell_ = std::make_unique<TWordmemory>(services);
        shell_->resize(1000, 700);
    }
    return *shell_;
}

void ShellTest::StartWith(const QString& name, const char* button) {
    const QString buttonName = QString::fromLatin1(button);
    startingThroughSignIn_ = true;
    WhenSignInReady([name, buttonName](Twordfriend& signIn) {
        signIn.Edit1->setText(name);
        signIn.findChild<QPushButton*>(buttonName)->click();
    });
    Shell().show();
    Shell().FormShow();
    Settle();
}

void ShellTest::Settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

void WhenSignInReady(std::function<void(Twordfriend&)> action) {
    auto* poll = new QTimer(QCoreApplication::instance());
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, action] {
        auto* signIn = qobject_cast<Twordfriend*>(QApplication::activeModalWidget());
        // As for a learner: the window is ready and has been drawn (what comes up after its
        // first frame has come up).
        if (signIn == nullptr || !signIn->Ready() || !signIn->FirstFrameDrawn()) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        action(*signIn);
    });
    poll->start();
}

void ShellTest::UseBuiltData() {
    const QString built = QStringLiteral(LJT_APPDIR "/");
    ASSERT_TRUE(QFile::exists(built + "Ebook.txt"))
        << "the program folder has no data: build the appdata target";
    for (const QString& entry : QDir(built).entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        if (entry != QLatin1String("langjitong")) {
            ASSERT_TRUE(QFile::link(built + entry, appDir_ + entry));
        }
    }
}

void ShellTest::Snap(QWidget* window, const QString& name) {
    const QString folder = qEnvironmentVariable("LJT_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        EXPECT_TRUE(window->grab().save(folder + "/" + name + ".png"));
    }
}

bool ShellTest::RendersAsPlainText(QLabel* label) {
    QLabel plain;
    plain.setFont(label->font());
    plain.setWordWrap(label->wordWrap());
    plain.setAlignment(label->alignment());
    plain.setMinimumSize(label->minimumSize());
    plain.setMaximumSize(label->maximumSize());
    plain.setTextFormat(Qt::PlainText);
    plain.setText(label->text());
    return label->sizeHint() == plain.sizeHint();
}
