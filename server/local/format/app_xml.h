#pragma once
// The .xml metadata of the local Tarsel server (docs/formats.md): what the .app text
// holds, as elements and attributes. Read as a stream into the same records as the .app
// text, so both formats accept and refuse the same metadata.

#include <QByteArray>

#include "server/local/app_model.h"
#include "server/local/format/app_text.h"

class QIODevice;

namespace tarsel::local::format {

class FileFaults;

// Reads .xml metadata from the device a block at a time, recording in faults every fault
// found (file, line, reason). A file that does not begin as XML is refused after its first
// bytes; one that is not well formed, not UTF-8, has a document type declaration or a root
// other than <metadata>, at the line where it goes wrong, without reading further. The
// model means nothing when faults is not empty. proof, when given, receives what the
// reading proved of it.
AppModel ReadAppXml(QIODevice& device, FileFaults& faults, ModelProof* proof = nullptr);

// The model as .xml with CR LF line ends; reading it back gives the same model. Fails
// with kMalformedFile when a text holds a control character XML cannot carry.
QByteArray WriteAppXml(const AppModel& model);
// As WriteAppXml, read from source and handed to sink in blocks as it is written, so that
// a large application is never held whole; gives the number of bytes written. The
// descriptions of one dimension are held while its members are written.
qsizetype WriteAppXml(MetadataSource& source, const TextSink& sink);

}  // namespace tarsel::local::format
