-- Inventory database: articles, stock per warehouse, families, suppliers,
-- compositions, fractions, active ingredients, laboratories, units,
-- locations, kinds of stock entry and exit, and the procedure PROC_COMPUESTO.
--
-- Run on an empty database created with DEFAULT CHARACTER SET UTF8, dialect 3.
-- Keys assigned by the database are identity columns: leave them out of the
-- INSERT (Firebird 3 refuses an explicit NULL in an identity column) and read
-- them back with RETURNING.

/* ------------------------------------------------------------------ */
/* Articles                                                            */
/* ------------------------------------------------------------------ */

CREATE TABLE INVENTARIO (
    -- identity
    COD_BARRAS              VARCHAR(30) NOT NULL,
    CODIGO2                 VARCHAR(30),
    CODIGO3                 VARCHAR(30),
    NOMBRE                  VARCHAR(200) NOT NULL,
    NOMBRE2                 VARCHAR(100),
    COD_FAMILIA             VARCHAR(15),
    COD_UBICACION           INTEGER,
    COD_UNIDAD              INTEGER,
    FK_PROVEEDOR            INTEGER,
    ID_LABORATORIO          INTEGER,
    FECHA_ALTA              DATE,
    IMAGEN                  BLOB SUB_TYPE BINARY,
    OBS                     VARCHAR(400),
    LIBRE1                  VARCHAR(200),
    LIBRE2                  VARCHAR(200),
    LIBRE3                  VARCHAR(200),
    LIBRE4                  VARCHAR(200),
    -- stock and cost
    STOCK                   DOUBLE PRECISION,
    STOCK_MINIMO            DOUBLE PRECISION,
    REPOSICION              DOUBLE PRECISION,
    RESERVA_APARTADOS       DOUBLE PRECISION,
    RESERVA_PREFACTURA      DOUBLE PRECISION,
    CANT_INICIAL            DOUBLE PRECISION,
    PRECIO_COMPRA           DOUBLE PRECISION,
    COSTO_PROMEDIO          DOUBLE PRECISION,
    FECHA_ULTIMACOMPRA      DATE,
    CANT_ULTIMA_COMPRA      DOUBLE PRECISION,
    COMPRA_MONEDA1          NUMERIC(18,4),
    COMPRA_MONEDA2          NUMERIC(18,4),
    ULTIMO_CICLICO          DATE,
    FECHA_CIERRE            TIMESTAMP,
    PESONETO                NUMERIC(18,3),
    PRESENTACION            NUMERIC(18,3),
    -- tax
    GRAVADO                 VARCHAR(1),
    PORC_IV                 NUMERIC(18,3),
    IMPUESTO_INCLUIDO       VARCHAR(1),
    -- sale prices, four levels
    PREVEN_1                DOUBLE PRECISION,
    PREVEN_2                DOUBLE PRECISION,
    PREVEN_3                DOUBLE PRECISION,
    PREVEN_4                DOUBLE PRECISION,
    BASECALCULO_1           INTEGER,
    BASECALCULO_2           INTEGER,
    BASECALCULO_3           INTEGER,
    BASECALCULO_4           INTEGER,
    COEFA_1                 DOUBLE PRECISION,
    COEFA_2                 DOUBLE PRECISION,
    COEFA_3                 DOUBLE PRECISION,
    COEFA_4                 DOUBLE PRECISION,
    COEFB_1                 DOUBLE PRECISION,
    COEFB_2                 DOUBLE PRECISION,
    COEFB_3                 DOUBLE PRECISION,
    COEFB_4                 DOUBLE PRECISION,
    SUMAFIJA_1              DOUBLE PRECISION,
    SUMAFIJA_2              DOUBLE PRECISION,
    SUMAFIJA_3              DOUBLE PRECISION,
    SUMAFIJA_4              DOUBLE PRECISION,
    REDONDEO_1              INTEGER,
    REDONDEO_2              INTEGER,
    REDONDEO_3              INTEGER,
    REDONDEO_4              INTEGER,
    PRECIOSINIV_1           DOUBLE PRECISION,
    PRECIOSINIV_2           DOUBLE PRECISION,
    PRECIOSINIV_3           DOUBLE PRECISION,
    PRECIOSINIV_4           DOUBLE PRECISION,
    PRECIOCONIV_1           DOUBLE PRECISION,
    PRECIOCONIV_2           DOUBLE PRECISION,
    PRECIOCONIV_3           DOUBLE PRECISION,
    PRECIOCONIV_4           DOUBLE PRECISION,
    PRECIO_DEFECTO          INTEGER,
    PRECIO_VENTA_SIN_IV     NUMERIC(18,4),
    REDONDEA_PRECIO_FINAL   VARCHAR(1),
    DESC_MAX_ART            NUMERIC(18,3),
    RESTRINGE_DESCUENTO     VARCHAR(1),
    PROMOCION               VARCHAR(1),
    -- behaviour flags
    ACTUALIZAR_EXIST        VARCHAR(1),
    PAGA_COMISION           VARCHAR(1),
    COMPUESTO               VARCHAR(1),
    TIENE_SERIE             VARCHAR(1),
    FRACCIONADO             VARCHAR(1),
    CONSIGNACION            VARCHAR(1),
    DESACTIVADO             VARCHAR(1),
    SE_USA_EN_PEDIDO        VARCHAR(1),
    TIENE_VENCIMIENTO       VARCHAR(1),
    PG_COMPUESTO            VARCHAR(1),
    VENTAALPESO             VARCHAR(1),
    ARTICULO_INACTIVO       VARCHAR(1) DEFAULT 'N',
    PG_CANT_X_TANDA         INTEGER,
    CONSTRAINT PK_INVENTARIO PRIMARY KEY (COD_BARRAS)
);
CREATE INDEX IX_INV_CODIGO2 ON INVENTARIO (CODIGO2);
CREATE INDEX IX_INV_CODIGO3 ON INVENTARIO (CODIGO3);
CREATE INDEX IX_INV_NOMBRE ON INVENTARIO (NOMBRE);
CREATE INDEX IX_INV_FAMILIA ON INVENTARIO (COD_FAMILIA);
CREATE INDEX IX_INV_PROVEEDOR ON INVENTARIO (FK_PROVEEDOR);

-- Stock per warehouse.
CREATE TABLE EXISTENCIAS (
    COD_ART                 VARCHAR(20) NOT NULL,
    COD_BODEGA              VARCHAR(20) NOT NULL,
    EXISTENCIA              DOUBLE PRECISION,
    RESERVA_APARTADOS       DOUBLE PRECISION,
    RESERVA_PREFACTURAS     DOUBLE PRECISION,
    CONSTRAINT PK_EXISTENCIAS PRIMARY KEY (COD_ART, COD_BODEGA)
);

-- Warehouses: code 000 is the main inventory.
CREATE TABLE BODEGAS (
    COD_BODEGA              VARCHAR(20) NOT NULL,
    DESCRIPCION             VARCHAR(100),
    CONSTRAINT PK_BODEGAS PRIMARY KEY (COD_BODEGA)
);

/* ------------------------------------------------------------------ */
/* Families and suppliers                                              */
/* ------------------------------------------------------------------ */

CREATE TABLE FAMILIA (
    COD_FAMILIA             VARCHAR(15) NOT NULL,
    NOMBRE                  VARCHAR(100),
    ACTIVA                  VARCHAR(1),
    NOTA                    VARCHAR(200),
    COD_PERTENECE           VARCHAR(20),    -- parent family, empty at the top
    NOM_PERTENECE           VARCHAR(50),
    PROMOCION               VARCHAR(1),
    NRO_ARTICULO            INTEGER,        -- next automatic article code
    CONSTRAINT PK_FAMILIA PRIMARY KEY (COD_FAMILIA)
);
CREATE INDEX IX_FAM_PERTENECE ON FAMILIA (COD_PERTENECE);
CREATE INDEX IX_FAM_NOMBRE ON FAMILIA (NOMBRE);

CREATE TABLE PROVEEDORES (
    COD_PROVEEDOR           INTEGER GENERATED BY DEFAULT AS IDENTITY NOT NULL,
    COD_PROVEEDOR2          VARCHAR(30),    -- code at the head office / distributor
    NOMBRE                  VARCHAR(100),
    CEDULA                  VARCHAR(20),
    CONTACTO                VARCHAR(100),
    DIRECCION               BLOB SUB_TYPE TEXT,
    CIUDAD                  VARCHAR(80),
    PROVINCIA               VARCHAR(60),
    PAIS                    VARCHAR(60),
    FAX                     VARCHAR(20),
    EMAIL                   VARCHAR(60),
    WEB                     VARCHAR(60),
    TEL1                    VARCHAR(20),
    TEL2                    VARCHAR(20),
    TEL3                    VARCHAR(20),
    FECHA                   DATE,
    CONTACTO_TELEFONO       VARCHAR(20),
    CONTACTO_DIAS_PAGO      VARCHAR(150),
    COD_POSTAL              VARCHAR(10),
    APARTADO                VARCHAR(10),
    CONTACTO_PAGOS          VARCHAR(100),
    TIPO_MONEDA             INTEGER,        -- 1 local currency, 2 second currency
    OBSERVACIONES           BLOB SUB_TYPE TEXT,
    EXENTO                  VARCHAR(1) DEFAULT 'N',  -- S: its purchases carry no tax
    CONSTRAINT PK_PROVEEDORES PRIMARY KEY (COD_PROVEEDOR)
);
CREATE INDEX IX_PROV_NOMBRE ON PROVEEDORES (NOMBRE);
CREATE INDEX IX_PROV_CODIGO2 ON PROVEEDORES (COD_PROVEEDOR2);

/* ------------------------------------------------------------------ */
/* Compositions, fractions, active ingredients, laboratories           */
/* ------------------------------------------------------------------ */

-- Components of composed articles.
CREATE TABLE COMPUESTO (
    NUM_LINEA               INTEGER GENERATED BY DEFAULT AS IDENTITY NOT NULL,
    COD_BARRAS              VARCHAR(30),    -- the composed article
    COD_ARTICULO            VARCHAR(30),    -- a component
    CANTIDAD                DOUBLE PRECISION,
    NOMBRE_ARTICULO         VARCHAR(100),
    COSTO                   NUMERIC(18,2),
    FRACCIONADO             VARCHAR(1),
    FRACCION                DOUBLE PRECISION,
    ID_FRACCION             INTEGER,
    CONSTRAINT PK_COMPUESTO PRIMARY KEY (NUM_LINEA)
);
CREATE INDEX IX_COMP_COD_BARRAS ON COMPUESTO (COD_BARRAS);
CREATE INDEX IX_COMP_COD_ARTICULO ON COMPUESTO (COD_ARTICULO);

-- Kinds of fraction: FRACCION = article units held by one fraction.
CREATE TABLE FRACCIONAMIENTOS (
    ID_FRACCION             INTEGER GENERATED BY DEFAULT AS IDENTITY NOT NULL,
    PRESENTACION            VARCHAR(30),
    FRACCION                DOUBLE PRECISION,
    PORC_AJUSTE             DOUBLE PRECISION,
    CONSTRAINT PK_FRACCIONAMIENTOS PRIMARY KEY (ID_FRACCION)
);

-- Fractions an article is sold in.
CREATE TABLE ART_FRACCIONADOS (
    COD_BARRAS              VARCHAR(30) NOT NULL,
    ID_FRACCION             INTEGER NOT NULL,
    PRESENTACION            VARCHAR(30),
    AJUSTE                  DOUBLE PRECISION,
    CONSTRAINT PK_ART_FRACCIONADOS PRIMARY KEY (COD_BARRAS, ID_FRACCION)
);

-- Active ingredients of an article.
CREATE TABLE COMPOSICION (
    ID_COMPO                INTEGER GENERATED BY DEFAULT AS IDENTITY NOT NULL,
    DROGA                   VARCHAR(120),
    CANTIDAD                VARCHAR(10),
    ID_ARTICULO             VARCHAR(15),    -- INVENTARIO.COD_BARRAS
    CONSTRAINT PK_COMPOSICION PRIMARY KEY (ID_COMPO)
);
CREATE INDEX IX_COMPO_ARTICULO ON COMPOSICION (ID_ARTICULO);

CREATE TABLE LABORATORIOS (
    ID_LABORATORIOS         INTEGER GENERATED BY DEFAULT AS IDENTITY NOT NULL,
    NOMBRE                  VARCHAR(40),
    CONSTRAINT PK_LABORATORIOS PRIMARY KEY (ID_LABORATORIOS)
);

/* ------------------------------------------------------------------ */
/* Units, locations, kinds of stock entry and exit                     */
/* ------------------------------------------------------------------ */

CREATE TABLE UNIDAD_MEDIDA (
    COD_UNIDAD              INTEGER GENERATED BY DEFAULT AS IDENTITY NOT NULL,
    NOMBRE                  VARCHAR(150),
    UNIDAD                  VARCHAR(5),
    NOTA                    VARCHAR(200),
    CONSTRAINT PK_UNIDAD_MEDIDA PRIMARY KEY (COD_UNIDAD)
);

CREATE TABLE UBICACION (
    COD_UBICACION           INTEGER GENERATED BY DEFAULT AS IDENTITY NOT NULL,
    NOMBRE                  VARCHAR(150),
    NOTA                    VARCHAR(250),
    CONSTRAINT PK_UBICACION PRIMARY KEY (COD_UBICACION)
);

CREATE TABLE TIPOS_ENTRADA (
    ID                      INTEGER NOT NULL,
    ENTRADA                 VARCHAR(50),
    CONSTRAINT PK_TIPOS_ENTRADA PRIMARY KEY (ID)
);

CREATE TABLE TIPOS_SALIDA (
    ID                      INTEGER NOT NULL,
    SALIDA                  VARCHAR(50),
    CONSTRAINT PK_TIPOS_SALIDA PRIMARY KEY (ID)
);

/* ------------------------------------------------------------------ */
/* PROC_COMPUESTO                                                      */
/* ------------------------------------------------------------------ */

-- Number of a composition line (COMPUESTO.NUM_LINEA).
--
--   EXECUTE PROCEDURE PROC_COMPUESTO
--       returns the line last written (highest NUM_LINEA), read-only, so it
--       runs in the read transaction right after the row was posted.
--   EXECUTE PROCEDURE PROC_COMPUESTO :COD_BARRAS, :COD_ARTICULO
--       returns the last line of that composed article and component.
--   EXECUTE PROCEDURE PROC_COMPUESTO :COD_BARRAS, :COD_ARTICULO, :CANTIDAD,
--       :NOMBRE_ARTICULO, :COSTO, :FRACCIONADO, :FRACCION, :ID_FRACCION
--       writes the line itself (needs a write transaction) and returns its
--       number.
--
-- NUM_LINE is 0 when there is no such line.

SET TERM ^ ;

CREATE PROCEDURE PROC_COMPUESTO (
    COD_BARRAS       VARCHAR(30) = NULL,
    COD_ARTICULO     VARCHAR(30) = NULL,
    CANTIDAD         DOUBLE PRECISION = NULL,
    NOMBRE_ARTICULO  VARCHAR(100) = NULL,
    COSTO            NUMERIC(18,2) = NULL,
    FRACCIONADO      VARCHAR(1) = NULL,
    FRACCION         DOUBLE PRECISION = NULL,
    ID_FRACCION      INTEGER = NULL)
RETURNS (
    NUM_LINE         INTEGER)
AS
BEGIN
  IF (CANTIDAD IS NOT NULL AND COD_BARRAS IS NOT NULL AND COD_ARTICULO IS NOT NULL) THEN
  BEGIN
    INSERT INTO COMPUESTO (COD_BARRAS, COD_ARTICULO, CANTIDAD, NOMBRE_ARTICULO,
                           COSTO, FRACCIONADO, FRACCION, ID_FRACCION)
    VALUES (:COD_BARRAS, :COD_ARTICULO, :CANTIDAD, :NOMBRE_ARTICULO,
            COALESCE(:COSTO, 0), COALESCE(:FRACCIONADO, 'N'), :FRACCION, :ID_FRACCION)
    RETURNING NUM_LINEA INTO :NUM_LINE;
  END
  ELSE
  BEGIN
    SELECT MAX(C.NUM_LINEA) FROM COMPUESTO C
     WHERE (:COD_BARRAS IS NULL OR C.COD_BARRAS = :COD_BARRAS)
       AND (:COD_ARTICULO IS NULL OR C.COD_ARTICULO = :COD_ARTICULO)
      INTO :NUM_LINE;
  END
  NUM_LINE = COALESCE(NUM_LINE, 0);
END^

SET TERM ; ^

COMMIT;

-- Groups of a commit spread over several databases: the first database of a group records it,
-- so an interrupted commit can be finished or undone the same way everywhere.
CREATE TABLE TRANSACCIONES_2PC (
    GRUPO VARCHAR(40) NOT NULL PRIMARY KEY,
    FECHA TIMESTAMP DEFAULT CURRENT_TIMESTAMP
);

-- Members of those groups: each transaction's number, recorded before it is prepared.
CREATE TABLE TRANSACCIONES_2PC_MIEMBROS (
    TRANSACCION BIGINT NOT NULL PRIMARY KEY,
    GRUPO VARCHAR(40) NOT NULL,
    INDICE INTEGER NOT NULL,
    TOTAL INTEGER NOT NULL,
    FECHA TIMESTAMP
);
