// A second, independent client of the protocol: Node's tedious against tsql-server, over TLS for the whole
// connection. Run by tedious_test.cpp; exits 77 when tedious is not installed (npm install --prefix
// tsql/server/tests tedious), 1 with a reason when the server answers wrongly.
//
//   node tedious_check.js PORT PASSWORD

let tedious;
try {
    tedious = require('tedious');
} catch (e) {
    console.log('tedious is not installed');
    process.exit(77);
}
const { Connection, Request, TYPES } = tedious;

const [port, password] = process.argv.slice(2);
const connection = new Connection({
    server: '127.0.0.1',
    authentication: { type: 'default', options: { userName: 'sa', password } },
    options: {
        port: Number(port), database: 'Tarvik', encrypt: true, trustServerCertificate: true,
        rowCollectionOnRequestCompletion: true,
    },
});

function fail(why) {
    console.log(why);
    process.exit(1);
}

function expect(what, actual, expected) {
    if (JSON.stringify(actual) !== JSON.stringify(expected))
        fail(`${what}: ${JSON.stringify(actual)} instead of ${JSON.stringify(expected)}`);
}

function run(sql, then) {
    connection.execSql(new Request(sql, (err, count, rows) => (err ? fail(`${sql}: ${err.message}`) : then(rows))));
}

function steps() {
    const query = new Request('SELECT @a + 1 AS n, @t AS t, CAST(12.5 AS NUMERIC(10,2)) AS d, ' +
        "REPLICATE(CAST(N'ž' AS NVARCHAR(MAX)), 10000) AS big, CAST(NULL AS INT) AS nothing; SET @o = @a * 2",
        (err, count, rows) => {
            if (err) fail(err.message);
            const row = rows[0].map((c) => c.value);
            expect('parameters', row.slice(0, 3), [42, 'Žluťoučký 😀', 12.5]);
            expect('long text', row[3].length, 10000);
            expect('NULL', row[4], null);
            expect('OUTPUT', output, 82);
            transaction();
        });
    let output;
    query.addParameter('a', TYPES.Int, 41);
    query.addParameter('t', TYPES.NVarChar, 'Žluťoučký 😀');
    query.addOutputParameter('o', TYPES.Int);
    query.on('returnValue', (name, value) => (output = value));
    connection.execSql(query);
}

function transaction() {
    run('CREATE TABLE tedious (a INT)', () => connection.beginTransaction((err) => {
        if (err) fail(`BEGIN: ${err.message}`);
        run('INSERT INTO tedious VALUES (1)', () => connection.rollbackTransaction((err) => {
            if (err) fail(`ROLLBACK: ${err.message}`);
            run('SELECT COUNT(*) AS n FROM tedious', (rows) => {
                expect('rolled back', rows[0][0].value, 0);
                procedure();
            });
        }));
    }));
}

function procedure() {
    run('CREATE PROCEDURE dbo.p_next @x INT, @y INT OUTPUT AS SET @y = @x + 1 RETURN 5', () => {
        const call = new Request('dbo.p_next', (err) => {
            if (err) fail(err.message);
            expect('procedure OUTPUT', output, 10);
            expect('return status', status, 5);
            connection.close();
            console.log('ok');
        });
        let output;
        let status;
        call.addParameter('x', TYPES.Int, 9);
        call.addOutputParameter('y', TYPES.Int);
        call.on('returnValue', (name, value) => (output = value));
        call.on('doneProc', (rowCount, more, returnStatus) => (status = returnStatus));
        connection.callProcedure(call);
    });
}

connection.on('connect', (err) => (err ? fail(`login: ${err.message}`) : steps()));
connection.on('error', (err) => fail(err.message));
connection.connect();
