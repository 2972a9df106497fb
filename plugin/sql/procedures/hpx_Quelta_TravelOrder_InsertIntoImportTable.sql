CREATE PROC [dbo].[hpx_Quelta_TravelOrder_InsertIntoImportTable]
  @BatchCommitNumber INT,
  @CommitNumber NUMERIC(19,0),
  @PortalID INT,
  @ErpPk NVARCHAR(30),
  @State NVARCHAR(255),
  @CreatedAt DATETIME,
  @PersonalNumber INT,
  @DocumentNumberErp NVARCHAR(30),
  @ActivityDestination NVARCHAR(255),
  @TravelPurpose NVARCHAR(255),
  @StartTime DATETIME,
  @EndTime DATETIME,
  @TravelType NVARCHAR(255),
  @ModeOfTransportErpPk NVARCHAR(30),
  @VehicleErpPk NVARCHAR(30),
  @JobOrderErpPk NVARCHAR(30),
  @CostPoolErpPk NVARCHAR(30),
  @DepartmentErpPk NVARCHAR(30),
  @PocketMoney FLOAT,
  @PrivateCarCompensation FLOAT,
  @Cost FLOAT,
  @FuelCost FLOAT,
  @Address NVARCHAR(255),
  @DistanceForeign FLOAT,
  @DistanceTotal FLOAT,
  @FuelConsumption FLOAT,
  @InputDestination NVARCHAR(255),
  @OutputDestination NVARCHAR(255),
  @PrivateCar TINYINT,
  @Note NVARCHAR(2048),
  @PayInDomestic TINYINT,
  @CostTotal FLOAT
AS
-- Stages the header of one travel order downloaded from the Portal. The import tables hold one
-- batch at a time: while rows of another batch wait there, the call does nothing. A travel order
-- staged again replaces its earlier header, costs, legs and fuel.
SET NOCOUNT ON
IF EXISTS (SELECT * FROM Tabx_Quelta_TravelOrder_ImportTable WHERE BatchCommitNumber <> @BatchCommitNumber)
  RETURN
DELETE FROM Tabx_Quelta_TravelOrder_ImportTable WHERE PortalID = @PortalID
DELETE FROM Tabx_Quelta_TravelOrderCost_ImportTable WHERE TravelOrderPortalID = @PortalID
DELETE FROM Tabx_Quelta_TravelOrderItem_ImportTable WHERE TravelOrderPortalID = @PortalID
DELETE FROM Tabx_Quelta_TravelOrderFuel_ImportTable WHERE TravelOrderPortalID = @PortalID
INSERT INTO Tabx_Quelta_TravelOrder_ImportTable (BatchCommitNumber, CommitNumber, PortalID, ErpPk, State,
  CreatedAt, PersonalNumber, DocumentNumberErp, ActivityDestination, TravelPurpose, StartTime, EndTime,
  TravelType, ModeOfTransportErpPk, VehicleErpPk, JobOrderErpPk, CostPoolErpPk, DepartmentErpPk,
  PocketMoney, PrivateCarCompensation, Cost, FuelCost, Address, DistanceForeign, DistanceTotal,
  FuelConsumption, InputDestination, OutputDestination, PrivateCar, Note, PayInDomestic, CostTotal)
VALUES (@BatchCommitNumber, @CommitNumber, @PortalID, @ErpPk, @State,
  @CreatedAt, @PersonalNumber, @DocumentNumberErp, @ActivityDestination, @TravelPurpose, @StartTime, @EndTime,
  @TravelType, @ModeOfTransportErpPk, @VehicleErpPk, @JobOrderErpPk, @CostPoolErpPk, @DepartmentErpPk,
  @PocketMoney, @PrivateCarCompensation, @Cost, @FuelCost, @Address, @DistanceForeign, @DistanceTotal,
  @FuelConsumption, @InputDestination, @OutputDestination, @PrivateCar, @Note, @PayInDomestic, @CostTotal)
