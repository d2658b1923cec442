// The XML of the packages is read by libxml2's push parser: it takes a
// member piece by piece as the member is inflated, checks it is well-formed
// and never loads anything from outside (no entity declarations are kept,
// so no entity can expand).
#include "workbook/XmlPart.h"

#include <libxml/parser.h>

#include <cstring>
#include <exception>
#include <memory>
#include <mutex>

namespace workbook {

namespace {

// Compared a character at a time: most names differ at their first.
bool Same(const unsigned char* name, std::string_view text)
{
    const auto* chars = reinterpret_cast<const char*>(name);
    return std::strncmp(chars, text.data(), text.size()) == 0 && chars[text.size()] == '\0';
}

} // namespace

int XmlAttributes::Find(std::string_view localName, std::string_view ns) const
{
    // Each attribute comes as its local name, prefix, namespace name, value and value's end.
    for (int i = 0; i < m_count; ++i) {
        const unsigned char** a = m_values + 5 * i;
        if (Same(a[0], localName) && (ns.empty() || (a[2] != nullptr && Same(a[2], ns))))
            return i;
    }
    return -1;
}

std::string_view XmlAttributes::Raw(std::string_view localName, std::string_view ns) const
{
    const int i = Find(localName, ns);
    if (i < 0)
        return {};
    const unsigned char** a = m_values + 5 * i;
    return {reinterpret_cast<const char*>(a[3]), static_cast<size_t>(a[4] - a[3])};
}

std::string XmlAttributes::Value(std::string_view localName, std::string_view ns) const
{
    // The parser leaves an ampersand as the reference "&#38;" in attribute values.
    std::string_view raw = Raw(localName, ns);
    std::string value;
    for (size_t at = raw.find("&#38;"); at != std::string_view::npos; at = raw.find("&#38;")) {
        value.append(raw.substr(0, at)).push_back('&');
        raw.remove_prefix(at + 5);
    }
    return value.append(raw);
}

namespace {

struct Session
{
    XmlPart& part;
    const char* notThisKind;
    xmlParserCtxtPtr context = nullptr;
    std::exception_ptr failure;

    template <typename Work> void Guard(Work work)
    {
        if (failure || part.Finished())
            return;
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
            xmlStopParser(context);
            return;
        }
        if (part.Finished())
            xmlStopParser(context);
    }
};

Session& Of(void* context)
{
    return *static_cast<Session*>(static_cast<xmlParserCtxtPtr>(context)->_private);
}

// Whether the element and its attributes have well-formed names whose
// prefixes are declared. The parser reports a prefix that names no namespace
// as a name with a prefix and no namespace, and a name it cannot split at its
// colon (":a", "a:") whole, colon and all.
bool NamesWellFormed(const xmlChar* name, const xmlChar* prefix, const xmlChar* uri,
                     const xmlChar** attributes, int attributeCount)
{
    auto whole = [](const xmlChar* local) {
        return std::strchr(reinterpret_cast<const char*>(local), ':') == nullptr;
    };
    if ((prefix != nullptr && uri == nullptr) || !whole(name))
        return false;
    for (int i = 0; i < attributeCount; ++i) {
        const xmlChar** a = attributes + 5 * i;
        if ((a[1] != nullptr && a[2] == nullptr) || !whole(a[0]))
            return false;
    }
    return true;
}

void OnStart(void* context, const xmlChar* name, const xmlChar* prefix, const xmlChar* uri, int,
             const xmlChar**, int attributeCount, int, const xmlChar** attributes)
{
    Session& s = Of(context);
    s.Guard([&] {
        if (s.part.NamespacesMatter() && !NamesWellFormed(name, prefix, uri, attributes, attributeCount))
            throw WorkbookError(s.notThisKind);
        const std::string_view ns = uri ? reinterpret_cast<const char*>(uri) : std::string_view();
        s.part.Start(reinterpret_cast<const char*>(name), XmlAttributes(attributes, attributeCount, ns));
    });
}

void OnEnd(void* context, const xmlChar* name, const xmlChar*, const xmlChar*)
{
    Session& s = Of(context);
    s.Guard([&] { s.part.End(reinterpret_cast<const char*>(name)); });
}

void OnText(void* context, const xmlChar* text, int length)
{
    Session& s = Of(context);
    s.Guard([&] { s.part.Text({reinterpret_cast<const char*>(text), static_cast<size_t>(length)}); });
}

void OnError(void*, const xmlError*) {}

class Parser
{
public:
    Parser(XmlPart& part, const char* notThisKind)
        : m_session{part, notThisKind, nullptr, {}}, m_notThisKind(notThisKind)
    {
        static std::once_flag initialised;
        std::call_once(initialised, [] { xmlInitParser(); });
        xmlSAXHandler sax{};
        sax.initialized = XML_SAX2_MAGIC;
        sax.startElementNs = OnStart;
        sax.endElementNs = OnEnd;
        sax.characters = OnText;
        sax.ignorableWhitespace = OnText;
        sax.cdataBlock = OnText;
        sax.serror = reinterpret_cast<xmlStructuredErrorFunc>(OnError);
        m_context.reset(xmlCreatePushParserCtxt(&sax, nullptr, nullptr, 0, nullptr));
        if (!m_context)
            throw std::bad_alloc();
        // The callbacks receive the parser; the session rides along with it.
        m_context->_private = &m_session;
        m_session.context = m_context.get();
        xmlCtxtUseOptions(m_context.get(), XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    }

    // False once the part has all it wants.
    bool Feed(std::string_view piece, bool last)
    {
        // A large piece goes in slices: the parser refuses to hold more than
        // ten megabytes ahead of where it reads.
        do {
            const size_t slice = std::min<size_t>(piece.size(), 1 << 20);
            const int status = xmlParseChunk(m_context.get(), piece.data(), static_cast<int>(slice),
                                             last && slice == piece.size() ? 1 : 0);
            if (m_session.failure)
                std::rethrow_exception(m_session.failure);
            if (!m_context->wellFormed)
                throw WorkbookError(m_notThisKind);
            // Stopped by the part: what it read was well-formed.
            if (m_session.part.Finished())
                return false;
            if (status != 0)
                throw WorkbookError(m_notThisKind);
            piece.remove_prefix(slice);
        } while (!piece.empty());
        return true;
    }

private:
    struct Free
    {
        void operator()(xmlParserCtxtPtr context) const { xmlFreeParserCtxt(context); }
    };
    Session m_session;
    const char* m_notThisKind;
    std::unique_ptr<xmlParserCtxt, Free> m_context;
};

} // namespace

bool ParseXmlMember(const ZipPackage& package, const std::string& name, XmlPart& part,
                    const char* notThisKind)
{
    Parser parser(part, notThisKind);
    if (!package.Stream(name, [&](std::string_view piece) { return parser.Feed(piece, false); }))
        return false;
    if (!part.Finished())
        parser.Feed({}, true);
    return true;
}

void ParseXml(std::string_view xml, XmlPart& part, const char* notThisKind)
{
    Parser parser(part, notThisKind);
    parser.Feed(xml, true);
}

} // namespace workbook
