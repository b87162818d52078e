-- Run after loading rows with explicit keys: moves every identity past the
-- highest key present, so the next insert gets a free number.
SET TERM ^ ;
EXECUTE BLOCK AS
  DECLARE TABLA VARCHAR(63);
  DECLARE CAMPO VARCHAR(63);
  DECLARE ULTIMO BIGINT;
BEGIN
  FOR SELECT TRIM(RF.RDB$RELATION_NAME), TRIM(RF.RDB$FIELD_NAME)
        FROM RDB$RELATION_FIELDS RF
       WHERE RF.RDB$IDENTITY_TYPE IS NOT NULL
        INTO :TABLA, :CAMPO DO
  BEGIN
    EXECUTE STATEMENT 'SELECT COALESCE(MAX("' || CAMPO || '"), 0) FROM "' || TABLA || '"' INTO :ULTIMO;
    -- Firebird 3 hands out RESTART value + 1, later versions the value itself.
    IF (RDB$GET_CONTEXT('SYSTEM', 'ENGINE_VERSION') NOT STARTING WITH '3.') THEN
      ULTIMO = ULTIMO + 1;
    EXECUTE STATEMENT 'ALTER TABLE "' || TABLA || '" ALTER COLUMN "' || CAMPO || '" RESTART WITH ' || ULTIMO;
  END
END^
SET TERM ; ^

COMMIT;
