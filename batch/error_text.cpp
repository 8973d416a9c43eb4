#include "batch/error_text.h"

#include <QLocale>
#include <cmath>

#include "batch/bsConstants.h"
#include "server/client_library.h"

namespace tarsel::batch {

ErrorText GetErrorText(int32_t number, const QString& description, const QString& source,
                       ClientLibrary* library) {
    ErrorText text;
    const QString numberText = QString::number(number);
    if (source == QLatin1String(kClientLibrarySource) || number < 0) {
        text.header = QStringLiteral("Tarsel Error #") + numberText;
        QString detail = GetServerErrorText(numberText, description, library);
        detail.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        text.detail = detail.trimmed();
    } else if (number >= 40000) {
        text.header = QStringLiteral("Batch Error #") + numberText;
        text.detail = description;
    } else {
        text.header = QStringLiteral("Runtime Error #") + numberText;
        text.detail = description;
    }
    return text;
}

ErrorText GetErrorText(const TarselError& error, ClientLibrary* library) {
    return GetErrorText(error.number(), error.description(), error.source(), library);
}

QString GetServerErrorText(const QString& numberText, const QString& description,
                           ClientLibrary* library) {
    try {
        bool ok = false;
        const int32_t number = numberText.trimmed().toInt(&ok);
        if (!ok || !library) {
            return {};
        }
        auto handler = library->CreateErrorHandlerComponent();
        if (!handler) {
            return {};
        }
        handler->SetOption(1);
        return handler->GetErrorMessage(0, number, description, QStringLiteral("Unknown Error"))
            .text;
    } catch (...) {
        // Asking for a readable text must never turn one failure into another.
        return {};
    }
}

bool TextToBoolean(const QString& text) {
    const QString value = text.trimmed();
    if (value.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (value.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    bool ok = false;
    const double number = QLocale::c().toDouble(value, &ok);
    if (ok && std::isfinite(number)) {
        return number != 0.0;
    }
    throw TarselError(
        err::kTypeMismatch, QString::fromLatin1(kRuntimeSource),
        QStringLiteral("Type mismatch: \"%1\" is neither True, False nor a number").arg(value));
}

bool QuitOnFailureValue(const QString& field) {
    return !field.trimmed().isEmpty() && TextToBoolean(field);
}

void RaiseTooFewParameters(int required, int32_t number, const QString& source) {
    throw TarselError(number, source,
                      QStringLiteral("Too few parameters. Expected ") + QString::number(required));
}

}  // namespace tarsel::batch
