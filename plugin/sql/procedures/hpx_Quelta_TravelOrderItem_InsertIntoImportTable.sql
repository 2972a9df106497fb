CREATE PROC [dbo].[hpx_Quelta_TravelOrderItem_InsertIntoImportTable]
  @BatchCommitNumber INT,
  @CommitNumber NUMERIC(19,0),
  @PortalID INT,
  @ErpPk NVARCHAR(30),
  @TravelOrderPortalID INT,
  @CountryErpPk NVARCHAR(30),
  @CurrencyErpPk NVARCHAR(30),
  @EndTime DATETIME,
  @InputDestination NVARCHAR(255),
  @ItemType NVARCHAR(255),
  @OutputDestination NVARCHAR(255),
  @PocketMoney FLOAT,
  @StartTime DATETIME,
  @SubsistenceAllowance FLOAT
AS
-- Stages one leg of a travel order downloaded from the Portal, unless rows of another batch
-- still wait in its table or among the headers (which would leave the row behind for good).
SET NOCOUNT ON
IF EXISTS (SELECT * FROM Tabx_Quelta_TravelOrderItem_ImportTable WHERE BatchCommitNumber <> @BatchCommitNumber)
  OR EXISTS (SELECT * FROM Tabx_Quelta_TravelOrder_ImportTable WHERE BatchCommitNumber <> @BatchCommitNumber)
  RETURN
INSERT INTO Tabx_Quelta_TravelOrderItem_ImportTable (BatchCommitNumber, CommitNumber, PortalID, ErpPk,
  TravelOrderPortalID, CountryErpPk, CurrencyErpPk, EndTime, InputDestination, ItemType, OutputDestination,
  PocketMoney, StartTime, SubsistenceAllowance)
VALUES (@BatchCommitNumber, @CommitNumber, @PortalID, @ErpPk,
  @TravelOrderPortalID, @CountryErpPk, @CurrencyErpPk, @EndTime, @InputDestination, @ItemType, @OutputDestination,
  @PocketMoney, @StartTime, @SubsistenceAllowance)
