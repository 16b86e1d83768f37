// The two XML documents of a DAW project file: project.xml (the tracks,
// their channels and the timeline) and metadata.xml (the title and where
// the song came from), written in the element order the format's schema
// requires.
#pragma once

#include <string>
#include <string_view>

#include "dawproject/session.h"

namespace tp {

std::string ProjectXml(const SessionPlan& plan);
std::string MetadataXml(const SessionPlan& plan);

// `text` as XML character data or attribute value: markup characters
// escaped, and what XML 1.0 cannot hold (control characters, bytes that are
// no UTF-8) replaced by U+FFFD, so that a name from a foreign disk never
// makes the document invalid.
std::string XmlText(std::string_view text);

// ` name="value"`, with its leading blank, the value as XmlText.
std::string XmlAttribute(std::string_view name, std::string_view value);

// A number as the shortest text that reads back as the same double.
std::string XmlNumber(double value);

}  // namespace tp
