#pragma once

#include <QByteArray>
#include <QString>

#include <libxml/tree.h>

#include <memory>

// A libxml2 document with the program's safety rules: no network, no DTD, no external
// entities, bounded depth and size; files declare GB2312 and are written as GB2312, with
// characters outside it kept as character references (Gb2312Codec).
class XmlDocument {
  public:
    static constexpr const char* kEncoding = "GB2312";

    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Sets up libxml2 once per process (the files' encoding, entity loader that refuses all).
    static void InitLibrary();

    // Reads a whole file into memory; false for folders and unreadable paths.
    static bool ReadFile(const QString& path, QByteArray& bytes);
    // Null when the bytes are not a well-formed document.
    static std::unique_ptr<XmlDocument> Parse(const QByteArray& bytes);
    // A new document with the root element of the given name.
    static std::unique_ptr<XmlDocument> Create(const char* rootName);

    xmlDocPtr Doc() const { return doc_; }
    xmlNodePtr Root() const { return xmlDocGetRootElement(doc_); }
    // First node matching the XPath expression, or null.
    xmlNodePtr SelectFirst(const char* xpath) const;
    // The document in the file encoding with its declaration; empty on failure.
    QByteArray Serialize() const;
    // The declaration the files start with.
    static QByteArray Declaration();

    // Attribute text; false when the attribute is missing.
    static bool Attribute(xmlNodePtr node, const char* name, QString& out);
    static bool Attribute(xmlNodePtr node, const char* name, int32_t& out);
    static QString Text(xmlNodePtr node);
    // First direct element child whose name equals name without regard to ASCII case.
    static xmlNodePtr ChildNoCase(xmlNodePtr parent, const char* name);

    // Adds an element with text content under parent.
    static xmlNodePtr AddTextChild(xmlNodePtr parent, const char* name, const QString& text);
    static void SetAttribute(xmlNodePtr node, const char* name, const QString& value);
    static void SetAttribute(xmlNodePtr node, const char* name, int64_t value);

    // UTF-8 of text without the characters XML 1.0 cannot hold (they would make the file
    // unreadable at the next start).
    static QByteArray XmlSafeUtf8(const QString& text);

  private:
    explicit XmlDocument(xmlDocPtr doc) : doc_(doc) {}
    xmlDocPtr doc_;
};
