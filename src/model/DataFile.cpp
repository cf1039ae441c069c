#include "model/DataFile.h"

#include <QRegularExpression>

#include "model/AppData.h"
#include "model/Utilities.h"
#include "model/XmlDocument.h"

namespace {

QString WithoutTrailingSpace(const QString& s) {
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1).isSpace()) --n;
    return s.left(n);
}

bool IsElement(xmlNodePtr n) {
    return n && n->type == XML_ELEMENT_NODE;
}

// White space between the elements of a list (a pretty-printed or hand-edited file) is not
// content; anything else that is not an element still ends the read.
bool IsBlankText(xmlNodePtr n) {
    return n && n->type == XML_TEXT_NODE && xmlIsBlankNode(n);
}

// Restores the operator-added entries of a media list; false when index is missing.
bool LoadMediaList(xmlNodePtr node, MediaList& list) {
    int32_t index = 0;
    if (!XmlDocument::Attribute(node, "index", index)) return false;
    // Each AddFile inserts right after the presets, so the last File goes in first.
    for (xmlNodePtr c = xmlGetLastChild(node); c; c = c->prev) {
        if (IsElement(c)) list.AddFile(XmlDocument::Text(c));
    }
    list.SetIndex(index);
    return true;
}

// The rules of a prize, children that older files lack: who may win it and whether earlier
// winners may. A scope is kept as written, whatever its field and mode say.
void LoadPrizeRules(xmlNodePtr prize, Prize& p) {
    if (xmlNodePtr scope = XmlDocument::ChildNoCase(prize, "Scope")) {
        XmlDocument::Attribute(scope, "field", p.scope.field);
        XmlDocument::Attribute(scope, "mode", p.scope.mode);
        for (xmlNodePtr v = scope->children; v; v = v->next)
            if (IsElement(v) && xmlStrEqual(v->name, BAD_CAST "Value"))
                p.scope.values.append(XmlDocument::Text(v));
    }
    if (xmlNodePtr repeat = XmlDocument::ChildNoCase(prize, "Repeat")) {
        const QString text = XmlDocument::Text(repeat).trimmed();
        if (text == QLatin1String("0") || text == QLatin1String("1"))
            p.repeat = text == QLatin1String("1") ? 1 : 0;
    }
}

void SavePrizeRules(xmlNodePtr node, const Prize& p) {
    if (!p.scope.field.isEmpty() || !p.scope.mode.isEmpty() || !p.scope.values.isEmpty()) {
        xmlNodePtr scope = xmlNewChild(node, nullptr, BAD_CAST "Scope", nullptr);
        XmlDocument::SetAttribute(scope, "field", p.scope.field);
        XmlDocument::SetAttribute(scope, "mode", p.scope.mode);
        for (const QString& v : p.scope.values) XmlDocument::AddTextChild(scope, "Value", v);
    }
    if (p.repeat >= 0) XmlDocument::AddTextChild(node, "Repeat", QString::number(p.repeat));
}

void SaveMediaList(xmlNodePtr setting, const char* name, const MediaList& list) {
    xmlNodePtr node = xmlNewChild(setting, nullptr, BAD_CAST name, nullptr);
    XmlDocument::SetAttribute(node, "index", static_cast<int64_t>(list.Index()));
    for (const MediaEntry& e : list.Entries()) {
        if (e.added) XmlDocument::AddTextChild(node, "File", e.path);
    }
}

// A damaged value falls back to its default; a token of the wrong shape is made anew.
void LoadCheckIn(xmlNodePtr node, CheckInSettings& c) {
    if (xmlNodePtr n = XmlDocument::ChildNoCase(node, "Enabled"))
        c.enabled = ParseInt(XmlDocument::Text(n)) != 0;
    if (xmlNodePtr n = XmlDocument::ChildNoCase(node, "Address")) {
        const QString address = XmlDocument::Text(n).trimmed();
        c.address = address.size() <= 64 ? address : QString();
    }
    if (xmlNodePtr n = XmlDocument::ChildNoCase(node, "Port")) {
        const int port = ParseInt(XmlDocument::Text(n));
        c.port = port > 0 && port <= 65535 ? port : CheckInSettings::kDefaultPort;
    }
    if (xmlNodePtr n = XmlDocument::ChildNoCase(node, "Method")) {
        const int method = ParseInt(XmlDocument::Text(n));
        c.method = method == CheckInSettings::kPhoneDigitsAndName
                       ? method
                       : int(CheckInSettings::kWorkNumberAndName);
    }
    if (xmlNodePtr n = XmlDocument::ChildNoCase(node, "PresentOnly"))
        c.presentOnly = ParseInt(XmlDocument::Text(n)) != 0;
    if (xmlNodePtr n = XmlDocument::ChildNoCase(node, "Token")) {
        const QString token = XmlDocument::Text(n).trimmed();
        static const QRegularExpression shape(QStringLiteral("^[A-Za-z0-9_-]{16,64}$"));
        c.token = shape.match(token).hasMatch() ? token : QString();
    }
}

void SaveCheckIn(xmlNodePtr setting, const CheckInSettings& c) {
    xmlNodePtr node = xmlNewChild(setting, nullptr, BAD_CAST "CheckIn", nullptr);
    XmlDocument::AddTextChild(node, "Enabled", QString::number(c.enabled ? 1 : 0));
    XmlDocument::AddTextChild(node, "Address", c.address);
    XmlDocument::AddTextChild(node, "Port", QString::number(c.port));
    XmlDocument::AddTextChild(node, "Method", QString::number(c.method));
    XmlDocument::AddTextChild(node, "PresentOnly", QString::number(c.presentOnly ? 1 : 0));
    XmlDocument::AddTextChild(node, "Token", c.token);
}

}  // namespace

bool DataFile::Load(AppData& data, const QString& path, bool isDefaultsFile) {
    QByteArray bytes;
    if (!XmlDocument::ReadFile(path, bytes)) return false;
    std::unique_ptr<XmlDocument> doc = XmlDocument::Parse(bytes);
    if (!doc) return false;

    if (xmlNodePtr list = doc->SelectFirst("//Vantoria/PrizeList")) {
        for (xmlNodePtr c = list->children; c; c = c->next) {
            if (IsBlankText(c)) continue;
            if (!IsElement(c)) return false;
            auto prize = std::make_unique<Prize>();
            QString image;
            if (!XmlDocument::Attribute(c, "id", prize->id) ||
                !XmlDocument::Attribute(c, "name", prize->name) ||
                !XmlDocument::Attribute(c, "content", prize->content) ||
                !XmlDocument::Attribute(c, "count", prize->count) ||
                !XmlDocument::Attribute(c, "batch", prize->batch) ||
                !XmlDocument::Attribute(c, "image", image) ||
                !XmlDocument::Attribute(c, "index", prize->index))
                return false;
            image = WithoutTrailingSpace(image);
            // The defaults file names its pictures relative to the program folder.
            if (isDefaultsFile && !image.isEmpty()) image = data.ProgramDir() + image;
            prize->image = image;
            LoadPrizeRules(c, *prize);
            data.PutPrize(std::move(prize));
        }
    }

    if (xmlNodePtr setting = doc->SelectFirst("//Vantoria/Setting")) {
        if (xmlNodePtr n = XmlDocument::ChildNoCase(setting, "Title"))
            data.SetTitle(XmlDocument::Text(n));
        if (xmlNodePtr n = XmlDocument::ChildNoCase(setting, "Image")) {
            if (!LoadMediaList(n, data.BackgroundList())) return false;
        }
        if (xmlNodePtr n = XmlDocument::ChildNoCase(setting, "Music")) {
            if (!LoadMediaList(n, data.MusicList())) return false;
        }
        if (xmlNodePtr n = XmlDocument::ChildNoCase(setting, "PrizeUIType"))
            data.SetPrizeUIType(ParseInt(XmlDocument::Text(n)));
        if (xmlNodePtr n = XmlDocument::ChildNoCase(setting, "FieldType"))
            data.SetFieldType(ParseInt(XmlDocument::Text(n)), false);
        if (xmlNodePtr n = XmlDocument::ChildNoCase(setting, "AllowRepeat"))
            data.SetAllowRepeat(ParseInt(XmlDocument::Text(n)) != 0);
        if (xmlNodePtr n = XmlDocument::ChildNoCase(setting, "TabIndex"))
            data.SetTabIndex(ParseInt(XmlDocument::Text(n)));
        if (xmlNodePtr n = XmlDocument::ChildNoCase(setting, "ShowScreen"))
            data.SetShowScreen(XmlDocument::Text(n));
        if (xmlNodePtr n = XmlDocument::ChildNoCase(setting, "PresenterKeys"))
            data.SetPresenterKeys(ParseInt(XmlDocument::Text(n)) != 0);
        if (xmlNodePtr n = XmlDocument::ChildNoCase(setting, "AlwaysShowHelp"))
            data.SetAlwaysShowHelp(ParseInt(XmlDocument::Text(n)) != 0);
        if (xmlNodePtr n = XmlDocument::ChildNoCase(setting, "StopSound")) {
            if (xmlNodePtr e = XmlDocument::ChildNoCase(n, "Enabled"))
                data.SetStopSoundEnabled(ParseInt(XmlDocument::Text(e)) != 0);
            if (xmlNodePtr f = XmlDocument::ChildNoCase(n, "File"))
                data.SetStopSoundFile(XmlDocument::Text(f));
        }
        if (xmlNodePtr n = XmlDocument::ChildNoCase(setting, "HidePhoneDigits"))
            data.SetHidePhoneDigits(ParseInt(XmlDocument::Text(n)) != 0);
        if (xmlNodePtr n = XmlDocument::ChildNoCase(setting, "CheckIn"))
            LoadCheckIn(n, data.CheckIn());
        if (xmlNodePtr n = XmlDocument::ChildNoCase(setting, "Window")) {
            int32_t w = 0, h = 0, maximized = 0;
            XmlDocument::Attribute(n, "width", w);
            XmlDocument::Attribute(n, "height", h);
            XmlDocument::Attribute(n, "maximized", maximized);
            // Beyond any screen is a damaged value, not a size.
            if (w > 0 && h > 0 && w <= 20000 && h <= 20000) data.SetWindowSize(QSize(w, h));
            data.SetWindowMaximized(maximized != 0);
        }
    }

    if (xmlNodePtr gen = doc->SelectFirst("//Vantoria/Setting/GenNumberList")) {
        GenNumberSettings& g = data.GenNumberList();
        if (xmlNodePtr n = XmlDocument::ChildNoCase(gen, "Start"))
            g.Start = ParseInt(XmlDocument::Text(n));
        if (xmlNodePtr n = XmlDocument::ChildNoCase(gen, "Total"))
            g.Total = ParseInt(XmlDocument::Text(n));
        if (xmlNodePtr n = XmlDocument::ChildNoCase(gen, "Prefix")) g.Prefix = XmlDocument::Text(n);
        if (xmlNodePtr n = XmlDocument::ChildNoCase(gen, "Suffix")) g.Suffix = XmlDocument::Text(n);
    }

    if (xmlNodePtr design = doc->SelectFirst("//Vantoria/Setting/Design")) {
        if (xmlNodePtr n = XmlDocument::ChildNoCase(design, "LastFrame"))
            data.SetLastFrame(ParseInt(XmlDocument::Text(n)));
    }

    if (xmlNodePtr symbols = doc->SelectFirst("//Vantoria/Setting/Design/SymbolList")) {
        for (xmlNodePtr c = symbols->children; c; c = c->next) {
            if (IsBlankText(c)) continue;
            if (!IsElement(c)) return false;
            int32_t id = 0;
            int32_t color = 0;
            QString font;
            if (!XmlDocument::Attribute(c, "Id", id) ||
                !XmlDocument::Attribute(c, "FontName", font) ||
                !XmlDocument::Attribute(c, "Color", color))
                return false;
            if (DesignSymbol* s = data.FindSymbol(id)) {
                s->FontName = font;
                s->Color = static_cast<uint32_t>(color);
            }
        }
    }

    if (xmlNodePtr winners = doc->SelectFirst("//Vantoria/WinnerList")) {
        for (xmlNodePtr c = winners->children; c; c = c->next) {
            if (IsBlankText(c)) continue;
            if (!IsElement(c)) return false;
            auto w = std::make_unique<Winner>();
            if (!XmlDocument::Attribute(c, "prize", w->prize) ||
                !XmlDocument::Attribute(c, "candidate", w->candidate) ||
                !XmlDocument::Attribute(c, "show", w->show) ||
                !XmlDocument::Attribute(c, "time", w->time))
                return false;
            data.AddWinner(std::move(w));
        }
    }
    return true;
}

QByteArray DataFile::Serialize(const AppData& data) {
    std::unique_ptr<XmlDocument> doc = XmlDocument::Create("Vantoria");
    if (!doc) return QByteArray();
    xmlNodePtr root = doc->Root();

    xmlNodePtr prizes = xmlNewChild(root, nullptr, BAD_CAST "PrizeList", nullptr);
    for (const auto& [id, p] : data.Prizes()) {
        xmlNodePtr n = xmlNewChild(prizes, nullptr, BAD_CAST "Prize", nullptr);
        XmlDocument::SetAttribute(n, "id", static_cast<int64_t>(p->id));
        XmlDocument::SetAttribute(n, "name", p->name);
        XmlDocument::SetAttribute(n, "content", p->content);
        XmlDocument::SetAttribute(n, "count", static_cast<int64_t>(p->count));
        XmlDocument::SetAttribute(n, "batch", static_cast<int64_t>(p->batch));
        XmlDocument::SetAttribute(n, "image", p->image);
        XmlDocument::SetAttribute(n, "index", static_cast<int64_t>(p->index));
        SavePrizeRules(n, *p);
    }

    xmlNodePtr setting = xmlNewChild(root, nullptr, BAD_CAST "Setting", nullptr);
    XmlDocument::AddTextChild(setting, "Title", data.Title());
    SaveMediaList(setting, "Image", data.BackgroundList());
    SaveMediaList(setting, "Music", data.MusicList());
    XmlDocument::AddTextChild(setting, "PrizeUIType", QString::number(data.PrizeUIType()));
    XmlDocument::AddTextChild(setting, "FieldType", QString::number(data.FieldType()));
    XmlDocument::AddTextChild(setting, "AllowRepeat", QString::number(data.AllowRepeat() ? 1 : 0));
    XmlDocument::AddTextChild(setting, "TabIndex", QString::number(data.TabIndex()));
    xmlNodePtr gen = xmlNewChild(setting, nullptr, BAD_CAST "GenNumberList", nullptr);
    const GenNumberSettings& g = data.GenNumberList();
    XmlDocument::AddTextChild(gen, "Start", QString::number(g.Start));
    XmlDocument::AddTextChild(gen, "Total", QString::number(g.Total));
    XmlDocument::AddTextChild(gen, "Prefix", g.Prefix);
    XmlDocument::AddTextChild(gen, "Suffix", g.Suffix);
    xmlNodePtr design = xmlNewChild(setting, nullptr, BAD_CAST "Design", nullptr);
    XmlDocument::AddTextChild(design, "LastFrame", QString::number(data.LastFrame()));
    xmlNodePtr symbols = xmlNewChild(design, nullptr, BAD_CAST "SymbolList", nullptr);
    for (const auto& [id, s] : data.SymbolList()) {
        xmlNodePtr n = xmlNewChild(symbols, nullptr, BAD_CAST "Symbol", nullptr);
        XmlDocument::SetAttribute(n, "Id", static_cast<int64_t>(s->Id));
        XmlDocument::SetAttribute(n, "FontName", s->FontName);
        // Written unsigned, read back through the int reader as the format has always done.
        XmlDocument::SetAttribute(n, "Color", static_cast<int64_t>(s->Color));
    }

    // Newer settings come after the older ones, so files without them read as before.
    XmlDocument::AddTextChild(setting, "ShowScreen", data.ShowScreen());
    XmlDocument::AddTextChild(setting, "PresenterKeys",
                              QString::number(data.PresenterKeys() ? 1 : 0));
    XmlDocument::AddTextChild(setting, "AlwaysShowHelp",
                              QString::number(data.AlwaysShowHelp() ? 1 : 0));
    xmlNodePtr stop = xmlNewChild(setting, nullptr, BAD_CAST "StopSound", nullptr);
    XmlDocument::AddTextChild(stop, "Enabled", QString::number(data.StopSoundEnabled() ? 1 : 0));
    XmlDocument::AddTextChild(stop, "File", data.StopSoundFile());
    XmlDocument::AddTextChild(setting, "HidePhoneDigits",
                              QString::number(data.HidePhoneDigits() ? 1 : 0));
    SaveCheckIn(setting, data.CheckIn());
    if (!data.WindowSize().isEmpty()) {
        xmlNodePtr window = xmlNewChild(setting, nullptr, BAD_CAST "Window", nullptr);
        XmlDocument::SetAttribute(window, "width", int64_t(data.WindowSize().width()));
        XmlDocument::SetAttribute(window, "height", int64_t(data.WindowSize().height()));
        XmlDocument::SetAttribute(window, "maximized", int64_t(data.WindowMaximized() ? 1 : 0));
    }

    xmlNodePtr winners = xmlNewChild(root, nullptr, BAD_CAST "WinnerList", nullptr);
    for (const auto& [prizeId, vec] : data.Winners()) {
        for (const auto& w : vec) {
            if (!w) continue;
            xmlNodePtr n = xmlNewChild(winners, nullptr, BAD_CAST "Winner", nullptr);
            XmlDocument::SetAttribute(n, "prize", static_cast<int64_t>(w->prize));
            XmlDocument::SetAttribute(n, "candidate", static_cast<int64_t>(w->candidate));
            XmlDocument::SetAttribute(n, "show", w->show);
            XmlDocument::SetAttribute(n, "time", w->time);
        }
    }

    return doc->Serialize();
}
