#include "ServiceContext.h"

#include <QDateTime>

#include "GameNode.h"
#include "MenuChannel.h"
#include "ServiceConnections.h"

ServiceContext::ServiceContext(AccountStore &accounts, Outbox &outbox, ServiceConfig config, Clock clock, Logger logger)
    : accounts(accounts)
    , outbox(outbox)
    , config(std::move(config))
    , clock(std::move(clock))
    , logger(std::move(logger))
{
}

qint64 ServiceContext::now() const
{
    return clock ? clock() : QDateTime::currentMSecsSinceEpoch();
}

void ServiceContext::log(const QString &text) const
{
    if (logger)
        logger(text);
}

Conn *ServiceContext::conn(int id)
{
    const auto it = conns.find(id);
    return it == conns.end() ? nullptr : &it->second;
}

const Conn *ServiceContext::conn(int id) const
{
    const auto it = conns.find(id);
    return it == conns.end() ? nullptr : &it->second;
}

ServicePart::ServicePart(ServiceContext &context)
    : m_ctx(context)
    , m_accounts(context.accounts)
    , m_outbox(context.outbox)
    , m_config(context.config)
    , m_conns(context.conns)
{
}

void ServicePart::send(const Conn &c, const QByteArray &bytes, bool alone)
{
    m_outbox.send(c.id, bytes, alone);
}

void ServicePart::tell(const Conn &c, const QByteArray &lines)
{
    if (c.channel != Channel::Table)
        send(c, lines);
    else if (!c.light)
        send(c, GameNode::ChatMarked(lines));
}

void ServicePart::drop(int id, const QString &reason)
{
    m_ctx.connections->drop(id, reason);
}

void ServicePart::reject(Conn &c, const QString &why, const QByteArray &line)
{
    m_ctx.connections->reject(c, why, line);
}

void ServicePart::repaintMenus(Channel channel)
{
    m_ctx.menus->repaintMenus(channel);
}

QByteArray ServicePart::cleanPassword(const QByteArray &typed)
{
    QByteArray clean = typed;
    for (qsizetype k = 0; k < clean.size(); ++k) {
        if (quint8(clean.at(k)) < 0x20) {
            clean.truncate(k);
            break;
        }
    }
    return clean.left(64);
}
