#pragma once
// The article card's rules: a new article's defaults, the code checks, the automatic code from
// the family, the components, fractions and active ingredients kept until the save, and the save
// itself: article, family counter, composition, fraction and ingredient rows and the initial
// stock's document, written and committed together on the store and inventory databases.

#include "platform/Currency.h"
#include "pricing/AjustesPrecios.h"
#include "pricing/RecalculoPrecios.h"
#include "records/ConexionesCompra.h"
#include "records/RegistrosCompra.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class TFDatosComp;

// Who opened the card.
namespace OrigenFicha {
inline const QString Buscar = QStringLiteral("Buscar");      // article search
inline const QString Agregar = QStringLiteral("Agregar");    // purchase entry
inline const QString AgregarP = QStringLiteral("AgregarP");  // order editor
}

// Store settings and host values the card works with, read once when it opens.
struct AjustesFicha {
    bool codigoAutomatico = false;  // COD_ARTICULO_AUTOMATICO
    bool noRepetirCod23 = false;    // NO_REPETIR_COD2_3
    bool promociones = false;       // PROMOCIONES_ARTICULOS
    bool adicional = false;         // ADICIONAL_INVENTARIO
    bool verCostos = true;          // right INV_VER_COSTOS
    bool verCalculo = true;         // right INV_VER_CALCULO_PRECIOS
    bool brisandel = false;         // host variable Brisandel
    std::array<NivelPrecio, 4> niveles;  // BASEn - 1, INC1_PREn, INC2_PREn, SUMA_FIJAn, REDONDEOn
    bool gravado = false, ivi = false, redondeaFinal = false;
    Currency porcIv;                // PORCENTAJE_IV
    AjustesPrecios precios;
    std::array<QString, 4> nombresLibres;
    QString siglas;                 // SIGLAS_CED_JURIDICA
    QString usuario;                // vUsuario
    Currency tipoCambio, tipoCambio2;
};

AjustesFicha AjustesDeFicha(const TFDatosComp &datos);

// The article's four levels as the price calculator takes them, and back.
std::array<NivelPrecio, 4> NivelesDe(const TArticuloInventario &fila);
void FijarNiveles(TArticuloInventario &fila, const std::array<NivelPrecio, 4> &niveles);

struct ComponenteFicha {
    QString codigo, nombre;
    Currency costo;      // unit cost
    Currency cantidad;   // already multiplied by the fraction when fractioned
    bool fraccionado = false;
    int idFraccion = 0;
    Currency fraccion;
    Currency CostoTotal() const { return costo * cantidad; }
};

struct FraccionFicha {
    QString presentacion;
    int idFraccion = 0;
    Currency ajuste;
};

struct IngredienteFicha {
    QString droga, cantidad;
};

// Everything the card saves. The code is fila.OLD_COD_BARRAS.
struct ArticuloFicha {
    TArticuloInventario fila;
    std::vector<ComponenteFicha> componentes;
    std::vector<FraccionFicha> fracciones;
    std::vector<IngredienteFicha> ingredientes;
    Currency stockInicial;  // the stock when the card opened
};

struct FalloFicha {
    enum class Campo { Codigo, Codigo2, Codigo3, Nombre, Nombre2, Familia, Ingredientes } campo;
    QString texto;
    bool globo = true;  // a balloon beside the control; otherwise a warning box
};

// Messages of the card.
namespace TextoFicha {
inline const QString CodigoExiste = QStringLiteral("El código introducido ya existe para otro artículo del inventario");
inline const QString Codigo2Existe = QStringLiteral("El código 2 introducido ya existe para otro artículo");
inline const QString Codigo3Existe = QStringLiteral("El código 3 introducido ya existe para otro artículo");
inline const QString NombreObligatorio = QStringLiteral("El nombre del artículo es obligatorio");
inline const QString FamiliaObligatoria = QStringLiteral("debe seleccionar una Familia,\n\rDebe elegir una familia para el artículo");
inline const QString CodigoObligatorio = QStringLiteral("El código de barras del artículo es obligatorio");
inline const QString CodigoLargo = QStringLiteral("El código no puede tener más de %1 caracteres");
inline const QString TextoLargo = QStringLiteral("El texto no puede tener más de %1 caracteres");
inline const QString FamiliaInexistente = QStringLiteral("La familia elegida ya no existe");
inline const QString ErrorFamilia = QStringLiteral("Error al actualizar FAMILIA ");
inline const QString ErrorInventario = QStringLiteral("Error al actualizar INVENTARIO ");
inline const QString ErrorConsecutivo = QStringLiteral("Error al actualizar el consecutivo. ");
inline const QString ErrorCambioConsecutivo = QStringLiteral("No se pudo actualiza el consecutivo. ");
inline const QString ErrorEncabezado = QStringLiteral("Error al insertar en ENTRADA_SALIDA. ");
inline const QString ErrorMovimiento = QStringLiteral("Error guardar movimiento ENTRADA/SALIDA.");
inline const QString ErrorDetalle = QStringLiteral("Error al insertar el detalle de ENTRADA/SALIDA. ");
inline const QString ErrorMovStock = QStringLiteral("Error al insertar en movimientos de stock. ");
inline const QString ErrorGuardarDetalle = QStringLiteral("Error guardar detalle ENTRADA/SALIDA.");
inline const QString ErrorCompuesto = QStringLiteral("Error al insertar los componentes del artículo. ");
inline const QString ErrorFracciones = QStringLiteral("Error al insertar los fraccionamientos del artículo. ");
inline const QString ErrorIngredientes = QStringLiteral("Error al insertar los componentes activos del artículo. ");
inline const QString DescuentoMayor = QStringLiteral("El descuento no puede ser mayor al 100%");
inline const QString DescuentoMenor = QStringLiteral("El descuento no puede ser menor a 0%");
inline const QString IngredienteRepetido = QStringLiteral("El componente ya esta ingresado");
inline const QString FraccionRepetida = QStringLiteral("Esta fracción ya está asignada a este artículo");
}

class FichaArticulo {
public:
    FichaArticulo(const ConexionesCompra &conexiones, AjustesFicha ajustes);

    const AjustesFicha &Ajustes() const { return a_; }

    // A new article with the store's defaults: the search sets the tax percentage, purchase
    // entry and the order editor the code typed there.
    ArticuloFicha Nuevo(const QString &origen, const QString &codigo) const;

    // Another article already has this COD_BARRAS.
    bool CodigoExiste(const QString &codigo) const;
    // Code 2 or 3 is used by another article in any of its three codes (or repeats one of this
    // card's other codes); an empty code never is.
    bool Codigo2Repetido(const TArticuloInventario &fila) const;
    bool Codigo3Repetido(const TArticuloInventario &fila) const;
    // Every check before saving, in order; empty when the article may be saved.
    std::vector<FalloFicha> Validar(const ArticuloFicha &articulo) const;

    QString NombreFamilia(const QString &codigo) const;
    QString NombreUbicacion(int codigo) const;
    QString NombreUnidad(int codigo) const;
    QString NombreProveedor(int codigo) const;
    // The family whose code is the text (trimmed): code and name.
    std::optional<std::pair<QString, QString>> BuscarFamilia(const QString &texto) const;
    // The automatic code: the family's code followed by its counter; empty when it does not exist.
    QString CodigoAutomatico(const QString &familia) const;
    std::vector<std::pair<int, QString>> Laboratorios() const;
    QStringList Drogas() const;

    // A component as the chooser hands it: the quantity is multiplied by the fraction's size
    // when fractioned. Nothing when the component article does not exist.
    std::optional<ComponenteFicha> Componente(const QString &codigo, const QString &nombre, Currency costo,
                                              Currency cantidad, bool fraccionado, int idFraccion) const;
    static Currency CostoComponentes(const std::vector<ComponenteFicha> &componentes);

    // A discount typed in "Descuento Máximo:": the value to keep and the balloon, if any.
    static std::pair<Currency, QString> DescuentoValido(Currency descuento);
    // Coefficients are stored as whole numbers, halves to even.
    static Currency CoeficienteEntero(Currency coeficiente);
    // A number padded with zeros to 12 characters.
    static QString Comprobante(qint64 numero);

    // Writes everything and commits both databases as one; returns the article's code (with
    // automatic codes, the one the family's counter gave under its lock). Any failure rolls
    // both back and throws ErrorCompras (FalloPaso with the card's texts); nothing stays written.
    QString Guardar(const ArticuloFicha &articulo);

    // Number of the stock document written by the last save (empty when none).
    const QString &ComprobanteEntradaSalida() const { return comprobante_; }
    // Called after each step of the save with its name, inside the transaction (tests).
    std::function<void(const QString &paso)> TrasPaso;
    // Attempts when the counters are found changed by another station.
    static constexpr int kIntentos = 5;

private:
    QString GuardarUnaVez(const ArticuloFicha &articulo);
    QString ReservarComprobante(ConsultasCompra &consultas, bool entrada);
    void Marcar(const QString &nombre);

    ConexionesCompra c_;
    AjustesFicha a_;
    QString comprobante_;
};
