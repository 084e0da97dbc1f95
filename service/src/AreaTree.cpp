#include "JmaData.h"

#include "JmaJson.h"

namespace forecastd {

using namespace jmajson;

namespace {

QHash<QString, AreaNode> level(const QJsonObject &root, const QString &key, bool required)
{
    QHash<QString, AreaNode> out;
    if (!root.contains(key)) {
        if (required)
            throw BadData{QStringLiteral("area.json: no \"%1\"").arg(key)};
        return out;
    }
    const QJsonObject map = object(root.value(key), key);
    for (auto it = map.begin(); it != map.end(); ++it) {
        const QString w = key + u'.' + it.key();
        const QJsonObject o = object(it.value(), w);
        AreaNode node;
        node.name = string(member(o, QStringLiteral("name"), w), w + QStringLiteral(".name"));
        node.parent = o.value(QStringLiteral("parent")).toString();
        for (const QJsonValue &c : o.value(QStringLiteral("children")).toArray())
            node.children.append(string(c, w + QStringLiteral(".children")));
        out.insert(it.key(), node);
    }
    return out;
}

} // namespace

QStringList AreaTree::Class20sOf(const QString &class10) const
{
    QStringList out;
    for (const QString &c15 : class10s.value(class10).children)
        for (const QString &c20 : class15s.value(c15).children)
            if (class20s.contains(c20))
                out.append(c20);
    return out;
}

std::shared_ptr<const AreaTree> AreaTree::Parse(const QByteArray &json, QString &error)
{
    try {
        const QJsonDocument doc = parseJson(json);
        if (!doc.isObject())
            throw BadData{QStringLiteral("area.json: not an object")};
        const QJsonObject root = doc.object();
        auto tree = std::make_shared<AreaTree>();
        tree->centers = level(root, QStringLiteral("centers"), true);
        tree->offices = level(root, QStringLiteral("offices"), true);
        tree->class10s = level(root, QStringLiteral("class10s"), true);
        tree->class15s = level(root, QStringLiteral("class15s"), false);
        tree->class20s = level(root, QStringLiteral("class20s"), false);
        // QJsonObject keeps keys sorted, which is the code order JMA uses.
        tree->centerOrder = root.value(QStringLiteral("centers")).toObject().keys();
        if (tree->centers.isEmpty() || tree->offices.isEmpty() || tree->class10s.isEmpty())
            throw BadData{QStringLiteral("area.json: an empty level")};
        return tree;
    } catch (const BadData &bad) {
        error = bad.what;
        return nullptr;
    }
}

QString forecastFileOffice(const QString &office)
{
    if (office == QLatin1String("014030"))
        return QStringLiteral("014100");
    if (office == QLatin1String("460040"))
        return QStringLiteral("460100");
    return office;
}

} // namespace forecastd
