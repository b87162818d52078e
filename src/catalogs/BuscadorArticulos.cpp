#include "catalogs/BuscadorArticulos.h"

#include "platform/db/DbError.h"
#include "platform/db/LimiteEspera.h"
#include "platform/db/Query.h"
#include "platform/db/Transaction.h"

#include <QCoreApplication>
#include <QThread>

#include <chrono>

struct BuscadorArticulos::Conexion {
    db::Database base;
    std::unique_ptr<db::Transaction> lectura;
    bool cancelada = false;  // a cancel was sent to it; the engine may still hold it
};

struct BuscadorArticulos::Resultado {
    Pedido pedido;
    std::unique_ptr<Conexion> conexion;  // declared before the list: the list closes first
    std::unique_ptr<db::Dataset> lista;
    QString error;
};

BuscadorArticulos::BuscadorArticulos(const db::ConnectionParams &conexion, QObject *parent)
    : QObject(parent), conexion_(conexion)
{
    qRegisterMetaType<db::Dataset *>();
    hilo_ = std::thread([this] { Trabajar(); });
    // A window still open when the program ends: its worker ends before the engine does.
    if (QCoreApplication::instance())
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &BuscadorArticulos::Detener);
}

BuscadorArticulos::~BuscadorArticulos()
{
    Detener();
    mostrado_.reset();
    listo_.reset();
    libres_.clear();
}

void BuscadorArticulos::Detener()
{
    {
        std::lock_guard l(m_);
        if (detener_ && !hilo_.joinable())
            return;
        detener_ = true;
        if (enCurso_) {
            enCurso_->cancelada = true;
            db::CancelarOperacion(enCurso_->base);
        }
    }
    cv_.notify_all();
    if (hilo_.joinable())
        hilo_.join();
}

bool BuscadorArticulos::Vigente(std::uint64_t numero) const
{
    return !detener_ && numero == pedido_.numero;
}

bool BuscadorArticulos::Buscar(const QString &texto, const QString &origen, bool ocultarInactivos)
{
    const QString t = texto.trimmed();
    std::lock_guard l(m_);
    if (detener_)
        return false;
    pedido_ = Pedido{pedido_.numero + 1, t, origen, ocultarInactivos};
    if (enCurso_ && numeroEnCurso_ < pedido_.numero) {
        enCurso_->cancelada = true;
        db::CancelarOperacion(enCurso_->base);
    }
    cv_.notify_all();
    return true;
}

bool BuscadorArticulos::Ocupado() const
{
    std::lock_guard l(m_);
    return !detener_ && pedido_.numero > 0 && (!mostrado_ || mostrado_->pedido.numero != pedido_.numero);
}

bool BuscadorArticulos::Esperar(int ms)
{
    const auto limite = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    {
        std::unique_lock l(m_);
        const auto llego = [&] {
            return detener_ || pedido_.numero == 0 || (listo_ && listo_->pedido.numero == pedido_.numero) ||
                   (mostrado_ && mostrado_->pedido.numero == pedido_.numero);
        };
        if (!cv_.wait_until(l, limite, llego))
            return false;
    }
    Recoger();
    return true;
}

db::Dataset *BuscadorArticulos::Lista() const
{
    return mostrado_ ? mostrado_->lista.get() : nullptr;
}

QString BuscadorArticulos::TextoMostrado() const
{
    return mostrado_ ? mostrado_->pedido.texto : QString();
}

void BuscadorArticulos::Recoger()
{
    std::unique_ptr<Resultado> r;
    {
        std::lock_guard l(m_);
        if (!listo_ || !Vigente(listo_->pedido.numero))
            return;
        r = std::move(listo_);
    }
    const QString error = r->error;
    std::unique_ptr<Resultado> anterior = std::move(mostrado_);
    mostrado_ = std::move(r);
    // The list shown is replaced first, then the old one closed and its attachment reused.
    emit listaNueva(mostrado_->lista.get());
    if (anterior) {
        anterior->lista.reset();
        if (anterior->conexion) {
            std::lock_guard l(m_);
            libres_.push_back(std::move(anterior->conexion));
        }
    }
    if (!error.isEmpty())
        emit this->error(error);
}

std::unique_ptr<BuscadorArticulos::Conexion> BuscadorArticulos::TomarConexion()
{
    std::unique_ptr<Conexion> c;
    {
        std::lock_guard l(m_);
        if (!libres_.empty()) {
            c = std::move(libres_.back());
            libres_.pop_back();
        }
    }
    if (!c) {
        c = std::make_unique<Conexion>();
        c->base.open(conexion_);
        c->lectura = std::make_unique<db::Transaction>(c->base, db::TransactionKind::Read);
    }
    if (c->cancelada) {
        // A cancel that found nothing running fails the next call: let it fail here.
        c->cancelada = false;
        try {
            db::Query q(&c->base, c->lectura.get());
            q.setSql(QStringLiteral("select 1 from RDB$DATABASE"));
            q.execQuery();
            q.close();
        } catch (const db::DbError &) {
        }
    }
    return c;
}

void BuscadorArticulos::Trabajar()
{
    for (;;) {
        Pedido pedido;
        {
            std::unique_lock l(m_);
            cv_.wait(l, [&] { return detener_ || pedido_.numero > leido_; });
            if (detener_)
                break;
            pedido = pedido_;
            leido_ = pedido.numero;
        }
        Leer(pedido);
    }
}

void BuscadorArticulos::Leer(const Pedido &pedido)
{
    auto r = std::make_unique<Resultado>();
    r->pedido = pedido;
    const auto seguir = [&](Conexion *enCurso) {
        std::lock_guard l(m_);
        enCurso_ = enCurso;
        numeroEnCurso_ = pedido.numero;
        return Vigente(pedido.numero);
    };
    try {
        r->conexion = TomarConexion();
        if (AntesDeLeer)
            AntesDeLeer(pedido.texto);
        Conexion &c = *r->conexion;
        if (seguir(&c)) {
            auto lista = std::make_unique<db::Dataset>();
            lista->setDatabase(&c.base);
            lista->setReadTransaction(c.lectura.get());
            // A cancel inside the choice leaves the slow plan: the search is not wanted then.
            const BusquedaArticulos::Eleccion e = BusquedaArticulos::ElegirPlan(c.base, *c.lectura, pedido.texto, &memoria_);
            if (seguir(&c)) {
                BusquedaArticulos::Consulta(pedido.texto, pedido.origen, pedido.ocultar, e).Abrir(*lista);
                if (lista->fetchedCount() < kPantalla && !lista->allFetched())
                    lista->fetchMore(kPantalla - lista->fetchedCount());
                r->lista = std::move(lista);
            }
        }
    } catch (const db::DbError &e) {
        r->lista.reset();
        r->error = e.message();
    }
    seguir(nullptr);
    if (AlLeer)
        AlLeer(pedido.texto);
    Publicar(std::move(r));
}

void BuscadorArticulos::Publicar(std::unique_ptr<Resultado> r)
{
    std::unique_ptr<Resultado> descartado;
    {
        std::lock_guard l(m_);
        if (!Vigente(r->pedido.numero) || (!r->lista && r->error.isEmpty())) {
            descartado = std::move(r);
        } else {
            if (r->lista)
                r->lista->moveToThread(thread());
            descartado = std::move(listo_);
            listo_ = std::move(r);
        }
    }
    if (descartado) {
        descartado->lista.reset();
        if (descartado->conexion) {
            std::lock_guard l(m_);
            libres_.push_back(std::move(descartado->conexion));
        }
        return;
    }
    cv_.notify_all();
    QMetaObject::invokeMethod(this, [this] { Recoger(); }, Qt::QueuedConnection);
}
