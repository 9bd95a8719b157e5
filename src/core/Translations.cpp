#include "core/Translations.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace trevisk {

namespace {

struct Loaded
{
    std::unique_ptr<QTranslator> program;
    std::unique_ptr<QTranslator> qt;
    bool installed = false;
};

Loaded& loaded()
{
    static Loaded instance;
    return instance;
}

void installLoaded()
{
    Loaded& state = loaded();
    if (!QCoreApplication::instance())
        return;
    for (QTranslator* translator : {state.qt.get(), state.program.get()})
        if (translator)
            QCoreApplication::installTranslator(translator);
}

void removeLoaded()
{
    Loaded& state = loaded();
    if (QCoreApplication::instance())
        for (QTranslator* translator : {state.program.get(), state.qt.get()})
            if (translator)
                QCoreApplication::removeTranslator(translator);
    state.program.reset();
    state.qt.reset();
}

} // namespace

QLocale Translations::systemLocale()
{
    const QByteArray messages = [] {
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
            if (!qEnvironmentVariableIsEmpty(name))
                return qgetenv(name);
        return QByteArray();
    }();
    if (messages.isEmpty() || messages == "C" || messages.startsWith("C.") || messages == "POSIX")
        return QLocale::c();
    return QLocale::system();
}

QLocale Translations::shownLocale()
{
    const QLocale system = systemLocale();
    if (const Loaded& state = loaded(); state.program) {
        const QLocale language(state.program->language());
        return language.language() == system.language() ? system : language;
    }
    // Nothing loaded here (the window module's copy of this library loads nothing itself): the
    // system's forms where the program speaks its language, so that no English text gets them.
    const bool spoken =
        QFile::exists(QStringLiteral(":/i18n/trevisk_%1.qm").arg(QLocale::languageToCode(system.language())));
    return spoken ? system : QLocale::c();
}

void Translations::load(const QLocale& locale)
{
    removeLoaded();
    Loaded& state = loaded();
    if (locale.language() != QLocale::C && locale.language() != QLocale::English) {
        auto program = std::make_unique<QTranslator>();
        if (program->load(locale, QStringLiteral("trevisk"), QStringLiteral("_"), QStringLiteral(":/i18n"))) {
            state.program = std::move(program);
            // Qt's own texts (the standard buttons) only go with a language the program speaks.
            auto qt = std::make_unique<QTranslator>();
            if (qt->load(locale,
                         QStringLiteral("qtbase"),
                         QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
                state.qt = std::move(qt);
        }
    }
    if (!state.installed) {
        // Every later application object gets them as it starts.
        qAddPreRoutine(installLoaded);
        state.installed = true;
    }
    installLoaded();
}

void Translations::unload()
{
    removeLoaded();
}

QString Translations::describe()
{
    const Loaded& state = loaded();
    if (!state.program)
        return text("Translations", QT_TRANSLATE_NOOP("Translations", "English (built in)"));
    const QLocale language(state.program->language());
    QString result = text("Translations", QT_TRANSLATE_NOOP("Translations", "%1 (%2) from %3"))
                         .arg(language.nativeLanguageName(), state.program->language(), state.program->filePath());
    if (state.qt)
        result +=
            text("Translations", QT_TRANSLATE_NOOP("Translations", ", Qt's texts from %1")).arg(state.qt->filePath());
    return result;
}

QString Translations::text(const char* context, const char* source, int n)
{
    if (QCoreApplication::instance())
        return QCoreApplication::translate(context, source, nullptr, n);
    const Loaded& state = loaded();
    QString result;
    if (state.program)
        result = state.program->translate(context, source, nullptr, n);
    if (result.isEmpty() && state.qt)
        result = state.qt->translate(context, source, nullptr, n);
    if (result.isEmpty())
        result = QString::fromUtf8(source);
    if (n >= 0)
        result.replace(QLatin1String("%n"), QString::number(n));
    return result;
}

} // namespace trevisk
